#!/usr/bin/env node
// kerfwright-cli on Node: the command-line tool's own code, compiled to
// WebAssembly, reading and writing the files named on the command line.
// It ends with the tool's exit status.
import { createRequire } from 'node:module';

// The module is CommonJS: that is how this compiler's modules find Node's own.
const createCommandLine = createRequire(import.meta.url)('./kerfwright-cli-wasm.cjs');
await createCommandLine({
  arguments: process.argv.slice(2),
  thisProgram: 'kerfwright-cli',
  // The compiled program's file mode mask starts as 0777; new files get the
  // modes this process would give them.
  preRun: [(module) => module._umask(process.umask())],
});
