// Puts the page together as one file: page.html with its styles, its script
// (preview.js, then page.js) and the worker's script (the compiled module
// followed by worker.js) inside.
// Usage: node assemble.mjs PAGE_FOLDER MODULE_JS OUTPUT_HTML
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [folder, modulePath, outputPath] = process.argv.slice(2);
const part = (name) => readFileSync(join(folder, name), 'utf8');

// Script text ends at the first "</script" whatever its quoting, and "<!--"
// changes how the rest is parsed: neither may appear inside.
function scriptText(text, name) {
  if (/<\/script|<!--/i.test(text)) throw new Error(`${name} holds text that would end its script element`);
  return text;
}

const workerSource = scriptText(readFileSync(modulePath, 'utf8') + '\n' + part('worker.js'), 'the worker');
const page = part('page.html')
  .replace('/* page.css */', () => part('page.css'))
  .replace('/* worker source */', () => workerSource)
  .replace('/* page.js */', () => ['preview.js', 'page.js'].map((name) => scriptText(part(name), name)).join('\n'));
writeFileSync(outputPath, page);
