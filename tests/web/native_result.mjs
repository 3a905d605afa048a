// The native tool's results that the page is held to.
import { execFile } from 'node:child_process';
import { readFileSync, readdirSync } from 'node:fs';
import { basename, join } from 'node:path';
import { promisify } from 'node:util';
import { fromTerminal } from './terminal_text.mjs';

// What the native tool `cli` makes of one input: its description, or its
// failure message, and the files convert writes into a new folder in `work`,
// by name.
export async function nativeResult(cli, work, input, options = []) {
  const output = join(work, `native-${basename(input)}-${Math.random().toString(36).slice(2)}`);
  const run = (...args) => promisify(execFile)(cli, args, { encoding: 'utf8', maxBuffer: 1 << 26 })
    .catch((failed) => failed);
  const [described, listing] = await Promise.all([run('info', ...options, '--json', input), run('info', ...options, input)]);
  if (described.code) return { failure: fromTerminal(described.stderr.replace(/\n$/, '')) };
  const converted = await run('convert', ...options, '-j', '1', '-o', output, input);
  // The page names the file alone where the tool names it in its folder.
  const saveFailure = converted.stderr.split('\n').map(fromTerminal).find((line) => line.startsWith('Failed to save: '))
    ?.replaceAll(`${output}/`, '');
  const json = JSON.parse(described.stdout);
  return { json, listing: listingOf(fromTerminal(listing.stdout), json.conversions), files: filesIn(output), saveFailure };
}

// The labels and sizes of `info`'s listing, in order. Each drawing's block
// starts after a blank line with "LABEL  ->  NAME"; found by the name, the
// label may hold line breaks of its own.
function listingOf(text, conversions) {
  let cursor = 0;
  const found = conversions.map(({ outputName }) => {
    const arrow = text.indexOf(`  ->  ${outputName}\n  Size:   `, cursor);
    const sizeAt = text.indexOf('  Size:   ', arrow) + '  Size:   '.length;
    cursor = sizeAt;
    return { label: text.slice(text.lastIndexOf('\n\n', arrow) + 2, arrow), size: text.slice(sizeAt, text.indexOf('\n', sizeAt)) };
  });
  const heading = text.split('\n').find((line) => /^(Plates|Canvases) \(/.test(line)) ?? null;
  return { heading, conversions: found };
}

// The bytes of each file in `folder`, by name; none when there is no folder.
export function filesIn(folder) {
  let names = [];
  try { names = readdirSync(folder); } catch { return {}; }
  return Object.fromEntries(names.sort().map((name) => [name, readFileSync(join(folder, name))]));
}
