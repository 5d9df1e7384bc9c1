// Prints what the npm reader sees in an .mdb file, as one JSON document on stdout:
//   { "password": text|null, "creationDate": ISO|null, "sortOrder": n,
//     "tables": [ { "name", "rowCount", "columns": [ {name, type, size, nullable, autoLong} ],
//                   "rows": [ [cell, ...], ... ] } or { "name", "error" } ] }
// Cells: null, true/false, numbers, text; binary/OLE as upper-case hex; dates as
// "YYYY-MM-DDTHH:MM:SS[.mmm]" (UTC, which is how the reader maps Jet's day count);
// currency, decimal and bigint as decimal text.
//
// usage: node dump.js FILE [--password P] [--system] [--table NAME]... [--no-rows]
process.env.TZ = "UTC";

import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

function fail(message) {
  process.stderr.write(`dump.js: ${message}\n`);
  process.exit(2);
}

const args = process.argv.slice(2);
let file = null;
let password;
let withSystem = false;
let withRows = true;
const only = [];
for (let i = 0; i < args.length; i++) {
  const a = args[i];
  if (a === "--password") {
    if (i + 1 >= args.length) fail("--password needs a value");
    password = args[++i];
  } else if (a === "--table") {
    if (i + 1 >= args.length) fail("--table needs a value");
    only.push(args[++i]);
  } else if (a === "--system") {
    withSystem = true;
  } else if (a === "--no-rows") {
    withRows = false;
  } else if (a.startsWith("--")) {
    fail(`unknown option ${a}`);
  } else if (file === null) {
    file = a;
  } else {
    fail(`unexpected argument ${a}`);
  }
}
if (file === null) fail("usage: node dump.js FILE [--password P] [--system] [--table NAME]... [--no-rows]");

function isoDate(d) {
  if (Number.isNaN(d.getTime())) return "invalid";
  const s = d.toISOString(); // ...THH:MM:SS.mmmZ
  const noZone = s.endsWith("Z") ? s.slice(0, -1) : s;
  return noZone.endsWith(".000") ? noZone.slice(0, -4) : noZone;
}

function cell(value) {
  if (value === null || value === undefined) return null;
  if (value instanceof Date) return isoDate(value);
  if (Buffer.isBuffer(value)) return value.toString("hex").toUpperCase();
  if (typeof value === "bigint") return value.toString();
  if (Array.isArray(value)) return value.map((v) => String(v)); // attachments: not in Jet4
  return value;
}

let reader;
try {
  reader = new MDBReader(readFileSync(file), { password });
} catch (e) {
  fail(`cannot open ${file}: ${e && e.message ? e.message : e}`);
}

const out = process.stdout;
const write = (s) => out.write(s);

let names;
if (only.length > 0) {
  names = only;
} else {
  names = reader.getTableNames({ normalTables: true, systemTables: withSystem, linkedTables: false });
}

const creation = reader.getCreationDate();
write("{");
write(`"password":${JSON.stringify(reader.getPassword())},`);
write(`"creationDate":${JSON.stringify(creation ? isoDate(creation) : null)},`);
write(`"sortOrder":${JSON.stringify(reader.getDefaultSortOrder().value)},`);
write('"tables":[');
const chunk = 5000;
names.forEach((name, t) => {
  if (t > 0) write(",");
  let table;
  let columns;
  try {
    table = reader.getTable(name);
    columns = table.getColumns();
  } catch (e) {
    write(JSON.stringify({ name, error: String(e && e.message ? e.message : e) }));
    return;
  }
  const colText = columns.map((c) => ({
    name: c.name,
    type: c.type,
    size: c.size,
    nullable: c.nullable,
    autoLong: c.autoLong,
  }));
  write(`{"name":${JSON.stringify(name)},"rowCount":${table.rowCount},"columns":${JSON.stringify(colText)}`);
  if (withRows) {
    // Read in slices and flush often, so a large table never sits in memory as text.
    const colNames = columns.map((c) => c.name);
    write(',"rows":[');
    let buffered = "";
    let first = true;
    let error = null;
    try {
      for (let offset = 0; ; offset += chunk) {
        const data = table.getData({ rowOffset: offset, rowLimit: chunk });
        for (const row of data) {
          buffered += (first ? "" : ",") + JSON.stringify(colNames.map((n) => cell(row[n])));
          first = false;
        }
        if (buffered.length > 1 << 20) {
          write(buffered);
          buffered = "";
        }
        if (data.length < chunk) break;
      }
    } catch (e) {
      error = String(e && e.message ? e.message : e);
    }
    write(buffered + "]");
    if (error !== null) write(`,"error":${JSON.stringify(error)}`);
  }
  write("}");
});
write("]}\n");
