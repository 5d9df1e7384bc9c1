/* Prints what MultiByteToWideChar(codepage, 0, ...) makes of every byte and of every pair of
 * bytes, for tools/codepages/generate.py --verify to hold the generated tables against.
 * Built with mingw-w64 and run under Wine (or on Windows):
 *   x86_64-w64-mingw32-gcc -O2 -o windows_probe.exe windows_probe.c
 *   wine64 windows_probe.exe OUTPUT_DIR
 * Writes OUTPUT_DIR/cpNNNN.txt for each code page, one line per input:
 *   "XX: UUUU ..."      the byte XX alone;
 *   "XXYY: UUUU ..."    the bytes XX YY (every pair when the page has lead bytes);
 *   "lead XX"           IsDBCSLeadByteEx's lead bytes.
 * The UUUU are the UTF-16 code units out, in hex; "-" when the call failed. */
#include <stdio.h>
#include <windows.h>

static const UINT kPages[] = {1250, 1251, 1252, 1253, 1254, 1257, 932, 936, 949, 950};

static void printDecoded(FILE* out, UINT page, const unsigned char* bytes, int size) {
  WCHAR units[8];
  int n = MultiByteToWideChar(page, 0, (LPCSTR)bytes, size, units, 8);
  if (n <= 0) {
    fputs(" -", out);
  }
  for (int i = 0; i < n; ++i) fprintf(out, " %04X", (unsigned)units[i]);
  fputc('\n', out);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: windows_probe OUTPUT_DIR\n");
    return 2;
  }
  for (size_t p = 0; p < sizeof kPages / sizeof kPages[0]; ++p) {
    UINT page = kPages[p];
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\cp%u.txt", argv[1], page);
    FILE* out = fopen(path, "w");
    if (!out) {
      fprintf(stderr, "cannot write %s\n", path);
      return 1;
    }
    int hasLeads = 0;
    for (int b = 0; b < 256; ++b) {
      if (IsDBCSLeadByteEx(page, (BYTE)b)) {
        fprintf(out, "lead %02X\n", b);
        hasLeads = 1;
      }
    }
    for (int b = 0; b < 256; ++b) {
      unsigned char one = (unsigned char)b;
      fprintf(out, "%02X:", b);
      printDecoded(out, page, &one, 1);
    }
    if (hasLeads) {
      for (int lead = 0; lead < 256; ++lead) {
        if (!IsDBCSLeadByteEx(page, (BYTE)lead)) continue;
        for (int trail = 0; trail < 256; ++trail) {
          unsigned char two[2] = {(unsigned char)lead, (unsigned char)trail};
          fprintf(out, "%02X%02X:", lead, trail);
          printDecoded(out, page, two, 2);
        }
      }
    }
    fclose(out);
  }
  return 0;
}
