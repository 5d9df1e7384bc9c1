// The online certificates website that the instruction lines name.
#pragma once

namespace app {

inline constexpr char kWebsiteAddress[] = "www.tarvocerts.com";

}  // namespace app
