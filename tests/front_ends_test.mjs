// The four front ends held to each other. For projects drawn by the
// project's own generator, the examples, every drawing case and every input
// of the command-line cases, each with one of the output profiles in turn:
//
// - kerfwright-cli convert, the same under Node (the WebAssembly build; the
//   command-line cases run under Node in a test of their own), the
//   window's Save All (or Save SVG + Settings for one drawing) and the page's
//   Save All .zip (or its two downloads), through the page's own worker, give
//   the same files, under the same names, in the same order, with the same
//   bytes, and the same failure where one fails;
// - kerfwright-cli info --json, the page's description of the document and
//   what the window shows (read off its visible widgets) agree on every
//   heading, label, size, layer row and warning.
//
// Usage: node front_ends_test.mjs, with the programs named in the environment
// (see tests/CMakeLists.txt). KERFWRIGHT_PROJECT_COUNT sets how many projects
// are generated.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdtempSync, mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, dirname, join } from 'node:path';
import { promisify } from 'node:util';
import { PageWorker, pageFile } from './web/page_worker.mjs';
import { fromTerminal } from './web/terminal_text.mjs';
import { zipEntries } from './web/zip_entries.mjs';

const env = process.env;
const work = mkdtempSync(join(tmpdir(), 'kerfwright-front-ends-'));
const projectCount = Number(env.KERFWRIGHT_PROJECT_COUNT ?? 240);
const profiles = [
  { name: 'standard', hairline: false }, { name: 'inkscape', hairline: false },
  { name: 'distinct-colours', hairline: false }, { name: 'standard', hairline: true },
  { name: 'inkscape', hairline: true }, { name: 'distinct-colours', hairline: true },
];
const optionsOf = ({ name, hairline }) => ['--profile', name, ...(hairline ? ['--hairline'] : [])];
// The fixed texts each face of the window showed, by key.
const windowTexts = [];

after(() => rmSync(work, { recursive: true, force: true }));

function run(program, args, options = {}) {
  return promisify(execFile)(program, args, { encoding: 'buffer', maxBuffer: 1 << 30, ...options })
    .catch((failed) => failed)
    .then(({ stdout, stderr, code }) => ({ stdout: stdout.toString('utf8'), stderr: stderr.toString('utf8'), code }));
}

const lines = (text) => text.split('\n').filter((line) => line !== '');

async function inputs() {
  const generated = join(work, 'generated');
  mkdirSync(generated);
  const listed = await Promise.all([
    run(env.KERFWRIGHT_GENERATE_PROJECTS, [String(projectCount), generated]),
    run(env.KERFWRIGHT_CASE_ARCHIVES, ['drawings', join(work, 'drawings')]),
  ]);
  const commandLineCases = await run(env.KERFWRIGHT_CASE_ARCHIVES, ['cli', join(work, 'cli')]);
  const examples = ['box.lac', 'coaster.lac', 'sheet.lac'].map((name) => join(env.KERFWRIGHT_EXAMPLES, name));
  // Files a person may pick by mistake: no archive at all, and a ZIP archive
  // without a project (its end record alone).
  const strays = join(work, 'strays');
  mkdirSync(strays);
  writeFileSync(join(strays, 'notes.txt'), 'Cut the lid twice.\n');
  writeFileSync(join(strays, 'photos.zip'), Buffer.from([0x50, 0x4b, 0x05, 0x06, ...new Array(18).fill(0)]));
  return [...examples, join(strays, 'notes.txt'), join(strays, 'photos.zip'), ...listed.flatMap(({ stdout }) => lines(stdout)),
    ...lines(commandLineCases.stdout).map((path) => ({ path, aCommandLineCase: true }))]
    .map((input, index) => ({ path: input.path ?? input, aCommandLineCase: input.aCommandLineCase ?? false,
      profile: profiles[index % profiles.length] }));
}

const stem = (path) => basename(path).replace(/\.[^.]*$/, '');

// Files of two inputs that a batch writes into one folder must not meet, and
// each written file must tell which input wrote it: by its name, which
// starts with the input's name.
function batches(all) {
  const made = [];
  const clash = (a, b) => basename(a.path) === basename(b.path) || stem(a.path) === stem(b.path)
    || stem(a.path).startsWith(`${stem(b.path)}.`) || stem(b.path).startsWith(`${stem(a.path)}.`);
  for (const input of all) {
    const batch = made.find((candidate) => candidate.profile === input.profile
      && candidate.inputs.every((other) => !clash(input, other)));
    if (batch) batch.inputs.push(input);
    else made.push({ profile: input.profile, inputs: [input] });
  }
  return made;
}

const ownerOf = (name, inputs) => inputs.find((input) => name === `${stem(input.path)}.svg`
  || name === `${stem(input.path)}.txt` || name.startsWith(`${stem(input.path)}.`));

// What a command-line program makes of each input of a batch: the files it
// lists as written, in order, with their bytes; its read or save failure;
// and its standard error, for the warnings.
async function commandLine(command, batch, label) {
  if (batch.inputs.length === 0) return new Map();
  const out = join(work, `${label}-${Math.random().toString(36).slice(2)}`);
  const [program, ...before] = command;
  const ran = await run(program, [...before, 'convert', '-j', '1', ...optionsOf(batch.profile), '-o', out,
    ...batch.inputs.map((input) => input.path)]);
  const made = new Map(batch.inputs.map((input) => [input.path, { files: [], failure: null, saveFailure: null }]));
  // One line per file, as the terminal shows it.
  for (const written of lines(ran.stdout).map((line) => fromTerminal(line).slice(out.length + 1))) {
    const owner = ownerOf(written, batch.inputs);
    assert.ok(owner, `${label}: ${written} belongs to no input`);
    made.get(owner.path).files.push({ name: written, bytes: readFileSync(join(out, written)) });
  }
  // Messages name the files written alone, without their folder, as the page does.
  const said = lines(ran.stderr).map((line) => fromTerminal(line).replaceAll(`${out}/`, ''));
  for (const line of said) {
    for (const input of batch.inputs) {
      if (line.startsWith(`Failed to read ${basename(input.path)}: `)) made.get(input.path).failure = line;
      if (line.startsWith('Failed to save: ') && ownerOf(line.slice(line.indexOf('"') + 1), [input])) {
        made.get(input.path).saveFailure = line;
      }
    }
  }
  for (const result of made.values()) result.said = said;
  return made;
}

// What the window shows of each input and what it saves, in input order.
async function window(batch) {
  const out = join(work, `window-${Math.random().toString(36).slice(2)}`);
  const ran = await run(env.KERFWRIGHT_WINDOW_PROBE, [...optionsOf(batch.profile), out,
    ...batch.inputs.map((input) => input.path)], { env: { ...env, QT_QPA_PLATFORM: 'offscreen' } });
  const [empty, ...shown] = lines(ran.stdout).map((line) => JSON.parse(line));
  assert.equal(shown.length, batch.inputs.length, `the window probe stopped: ${ran.stderr.slice(-3000)}`);
  windowTexts.push(empty.texts, ...shown.flatMap((result) => [result.texts, result.textsAfterSave ?? {}]));
  return new Map(shown.map((result, position) => {
    const folder = join(out, String(position));
    const files = (result.saved ?? []).map((name) => ({ name, bytes: readFileSync(join(folder, name)) }));
    const saveFailure = result.saveFailure?.replace(`${folder}/`, '') ?? null;
    return [result.input, { ...result, files, saveFailure }];
  }));
}

// What the page makes of one input through its worker: its description, and
// the files it offers for download (Save All's archive, unpacked in order).
async function page(worker, input) {
  const loaded = await worker.request('load', {
    file: pageFile(basename(input.path), readFileSync(input.path)),
    profile: input.profile.name, hairline: input.profile.hairline,
  });
  if (loaded.failure !== undefined) return { failure: loaded.failure };
  const count = loaded.description.conversions.length;
  let files = [];
  let saveFailure = null;
  if (count > 0) {
    const saved = await worker.request(count >= 2 ? 'saveAll' : 'saveOne', { document: loaded.document, index: 0 });
    if (saved.failure !== undefined) saveFailure = saved.failure;
    else files = count >= 2 ? zipEntries(saved.files[0].bytes) : saved.files;
    if (count >= 2 && !saveFailure) assert.deepEqual(saved.files.map((file) => file.name), [`${stem(input.path)}.zip`], input.path);
  }
  await worker.request('release', { document: loaded.document });
  return { description: loaded.description, files, saveFailure };
}

async function describe(input) {
  const ran = await run(env.KERFWRIGHT_CLI, ['info', '--json', ...optionsOf(input.profile), input.path]);
  return ran.code ? { failure: fromTerminal(ran.stderr.replace(/\n$/, '')) } : { json: JSON.parse(ran.stdout) };
}

function assertSameFiles(actual, expected, what) {
  assert.deepEqual(actual.map((file) => file.name), expected.map((file) => file.name), `${what}: names in order`);
  for (const [index, file] of expected.entries()) {
    assert.ok(actual[index].bytes.equals(file.bytes), `${what}: ${file.name} differs`);
  }
}

// The WebAssembly build's math library computes an arc's angles (atan2, tan)
// to within a unit of the last binary digit of the native one's, not always
// to the same bit: exact bounds where arcs are measured may differ there,
// far below the four decimals every file is written with.
function closeEnough(actual, expected) {
  return actual === expected || Math.abs(actual - expected) <= 1e-12 * Math.max(1, Math.abs(expected));
}

function assertSameDescription(actual, expected, what) {
  const withoutBounds = (json) => ({ ...json, conversions: json.conversions.map(({ bounds, ...rest }) => rest) });
  assert.deepEqual(withoutBounds(actual), withoutBounds(expected), what);
  for (const [index, { bounds }] of expected.conversions.entries()) {
    for (const [side, value] of Object.entries(bounds)) {
      const found = actual.conversions[index].bounds[side];
      assert.ok(closeEnough(found, value), `${what} #${index}: ${side} is ${found}, not ${value}`);
    }
  }
}

// The window and the page show what info --json describes.
function assertShownAsDescribed(shown, json, texts, what) {
  const several = json.conversions.length >= 2;
  assert.equal(shown.file, json.file, `${what}: file name`);
  assert.equal(shown.pickerHeading, json.pickerHeading, `${what}: picker heading`);
  assert.deepEqual(shown.labels, several ? json.conversions.map((c) => c.label) : [], `${what}: labels`);
  assert.equal(shown.saveAllTitle, json.saveAllTitle, `${what}: Save All`);
  // Both are shown with a drawing's layers.
  const drawn = json.conversions.length > 0;
  assert.equal(shown.materialAndMachine, drawn ? json.materialAndMachine : null, `${what}: material and machine`);
  assert.equal(shown.settingsRecorded, drawn && json.settingsRecorded, `${what}: Copy Settings`);
  assert.equal(shown.drawings.length, json.conversions.length, `${what}: drawings`);
  for (const [index, drawing] of shown.drawings.entries()) {
    const described = json.conversions[index];
    assert.equal(drawing.size, described.size, `${what} #${index}: size`);
    assert.deepEqual(drawing.layers, described.layers, `${what} #${index}: layers`);
    assert.deepEqual(drawing.warnings, described.warnings.map((warning) => texts.warningBullet + warning),
      `${what} #${index}: warnings`);
  }
}

// The inputs of the command-line cases run under Node in a test of their
// own, held to the same files as the native tool; their costly ones (the
// bombs) are not converted under Node a second time here.
const underNode = (batch) => ({ ...batch, inputs: batch.inputs.filter((input) => !input.aCommandLineCase) });

test('every front end saves the same files and shows the same facts', async (t) => {
  const all = await inputs();
  assert.ok(all.length >= projectCount + 3, `only ${all.length} inputs`);
  const worker = new PageWorker(env.KERFWRIGHT_PAGE);
  const pageTexts = await worker.request('texts');
  const grouped = batches(all);
  const results = new Map(all.map((input) => [input.path, {}]));
  for (const batch of grouped) {
    const eachInput = async (make) => {
      const made = new Map();
      for (const input of batch.inputs) made.set(input.path, await make(input));
      return made;
    };
    const timed = (label, promise) => {
      const started = Date.now();
      return promise.then((value) => { t.diagnostic(`${label}: ${Date.now() - started} ms`); return value; });
    };
    const [native, node, shown, offered, described] = await Promise.all([
      timed('native', commandLine([env.KERFWRIGHT_CLI], batch, 'native')),
      timed('node', commandLine([env.KERFWRIGHT_NODE, env.KERFWRIGHT_NODE_CLI], underNode(batch), 'node')),
      timed('window', window(batch)),
      timed('page', eachInput((input) => page(worker, input))),
      timed('describe', eachInput(describe)),
    ]);
    for (const input of batch.inputs) {
      Object.assign(results.get(input.path), { native: native.get(input.path), node: node.get(input.path),
        window: shown.get(input.path), page: offered.get(input.path), described: described.get(input.path) });
    }
  }
  t.diagnostic(`${all.length} inputs in ${grouped.length} batches`);
  let drawings = 0;
  for (const input of all) {
    const what = `${input.path} (${optionsOf(input.profile).join(' ')})`;
    const { native, node, window: shown, page: offered, described } = results.get(input.path);
    // A failure to read names the file as it was given; the page has the file alone.
    const failure = described.failure ?? null;
    assert.equal(native.failure, failure, `${what}: convert`);
    assert.equal(node?.failure ?? failure, failure, `${what}: convert under Node`);
    assert.equal(shown.failure ?? null, failure, `${what}: the window`);
    assert.equal(offered.failure ?? null, failure?.replace(`${dirname(input.path)}/`, '') ?? null, `${what}: the page`);
    if (failure) continue;
    drawings += described.json.conversions.length;
    if (node) assertSameFiles(node.files, native.files, `${what}: convert under Node`);
    assertSameFiles(shown.files, native.files, `${what}: the window`);
    assert.equal(node?.saveFailure ?? native.saveFailure, native.saveFailure, `${what}: convert under Node`);
    assert.equal(shown.saveFailure, native.saveFailure, `${what}: the window`);
    // The page's archive is written whole or not at all.
    if (native.saveFailure) assert.ok(offered.saveFailure, `${what}: the page saved where convert failed`);
    else assertSameFiles(offered.files, native.files, `${what}: the page`);
    assertSameDescription(offered.description, described.json, `${what}: the page's description`);
    assertShownAsDescribed(shown, described.json, pageTexts, `${what}: the window`);
    for (const conversion of described.json.conversions) {
      // The settings shown are the sidecar's lines, as it lists them.
      const sidecar = native.files.find((file) => file.name === conversion.outputName.replace(/\.svg$/, '.txt'));
      if (!native.saveFailure) assert.equal(sidecar !== undefined, described.json.settingsRecorded, `${what}: sidecar`);
      const listed = sidecar?.bytes.toString('utf8');
      if (listed && described.json.materialAndMachine) {
        assert.ok(listed.includes(`\n${described.json.materialAndMachine}\n`), `${what}: material in ${sidecar.name}`);
      }
      for (const layer of listed ? conversion.layers : []) {
        const heading = `${layer.name}  (`;
        const block = `, ${layer.count} object${layer.count === 1 ? '' : 's'})\n${layer.settings}\n`;
        assert.ok(listed.includes(heading) && listed.includes(block, listed.indexOf(heading)), `${what}: ${layer.name} in ${sidecar.name}`);
      }
      for (const warning of conversion.warnings) {
        assert.ok(native.said.includes(`${conversion.outputName}: ${warning}`), `${what}: convert did not say ${warning}`);
      }
    }
  }
  t.diagnostic(`${drawings} drawings compared`);
  // The window shows the texts the page is given, in the same words (the
  // page's own test checks that it shows them).
  const seen = new Set();
  for (const texts of windowTexts) {
    for (const [key, text] of Object.entries(texts)) {
      assert.equal(text, pageTexts[key]?.replaceAll('**', ''), `the window's ${key}`);
      seen.add(key);
    }
  }
  // All but the menu command, which only the window has, the bullet before
  // each warning, compared with the warnings, and the word that the preview
  // is being drawn, which the window shows only until its engine is done (the
  // window's layout test and the page's test catch it).
  const transient = ['openCommand', 'warningBullet', 'previewBusy'];
  const shownAlone = Object.keys(pageTexts).filter((key) => !transient.includes(key));
  assert.deepEqual([...seen].filter((key) => !transient.includes(key)).sort(), shownAlone.sort());
});
