// What kerfwright-cli prints, read back: it shows control characters and
// bytes that are no UTF-8 as \xHH and a backslash as \\, so that nothing a
// project names acts on the terminal.
export function fromTerminal(text) {
  const bytes = [];
  const raw = Buffer.from(text, 'utf8');
  for (let i = 0; i < raw.length; ++i) {
    if (raw[i] === 0x5c && raw[i + 1] === 0x5c) {
      bytes.push(0x5c);
      ++i;
    } else if (raw[i] === 0x5c && raw[i + 1] === 0x78) {
      bytes.push(parseInt(raw.subarray(i + 2, i + 4).toString('latin1'), 16));
      i += 3;
    } else {
      bytes.push(raw[i]);
    }
  }
  return Buffer.from(bytes).toString('utf8');
}
