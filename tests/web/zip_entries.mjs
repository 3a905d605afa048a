// The entries of a ZIP archive, in the order of its central directory, read
// by hand: no extracting program would keep names such as "a\\b" or
// "line\nbreak" as they are.
import { inflateRawSync } from 'node:zlib';

export function zipEntries(zip) {
  const end = zip.lastIndexOf(Buffer.from([0x50, 0x4b, 0x05, 0x06]));
  const count = zip.readUInt16LE(end + 10);
  const entries = [];
  for (let at = zip.readUInt32LE(end + 16), i = 0; i < count; ++i) {
    const [method, compressedSize] = [zip.readUInt16LE(at + 10), zip.readUInt32LE(at + 20)];
    const [nameLength, extraLength, commentLength] = [28, 30, 32].map((offset) => zip.readUInt16LE(at + offset));
    const name = zip.subarray(at + 46, at + 46 + nameLength).toString('utf8');
    const local = zip.readUInt32LE(at + 42);
    const dataAt = local + 30 + zip.readUInt16LE(local + 26) + zip.readUInt16LE(local + 28);
    const data = zip.subarray(dataAt, dataAt + compressedSize);
    entries.push({ name, bytes: method === 8 ? inflateRawSync(data) : Buffer.from(data) });
    at += 46 + nameLength + extraLength + commentLength;
  }
  return entries;
}
