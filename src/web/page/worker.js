// The page's worker: it holds the compiled core and answers the page's
// requests one at a time, so the page stays responsive while a project
// converts. Files pass through the module's in-memory file system.
const modulePromise = createKerfwrightModule();
let nextFolder = 0;

function call(module, name, argumentTypes, values) {
  return JSON.parse(module.ccall(name, 'string', argumentTypes, values));
}

// A folder of its own for each request, so that equal file names never meet.
function freshFolder(module) {
  const folder = `/work${++nextFolder}`;
  module.FS.mkdir(folder);
  return folder;
}

// Takes every file the core wrote into a request's folder out of the file
// system, and the folder with them.
function emptied(module, folder) {
  const names = module.FS.readdir(folder).filter((name) => name !== '.' && name !== '..');
  const files = names.map((name) => {
    const bytes = module.FS.readFile(`${folder}/${name}`);
    module.FS.unlink(`${folder}/${name}`);
    return { name, bytes };
  });
  module.FS.rmdir(folder);
  return files;
}

// Runs a call that writes into the current folder, in a fresh one; gives
// what it wrote, or its failure with nothing kept.
function writing(module, callWrites) {
  const folder = freshFolder(module);
  module.FS.chdir(folder);
  let answer;
  try {
    answer = callWrites();
  } finally {
    module.FS.chdir('/');
  }
  const files = emptied(module, folder);
  return answer.failure ? answer : { files };
}

const handlers = {
  async load(module, { file, profile, hairline }, report) {
    const folder = freshFolder(module);
    const path = `${folder}/${file.name}`;
    report(module.ccall('kerfwrightLoadingText', 'string', ['string'], [path]));
    module.FS.writeFile(path, new Uint8Array(await file.arrayBuffer()));
    try {
      return call(module, 'kerfwrightLoad', ['string', 'string', 'number'], [path, profile, hairline ? 1 : 0]);
    } finally {
      module.FS.unlink(path);
      module.FS.rmdir(folder);
    }
  },
  profiles(module) {
    return call(module, 'kerfwrightProfiles', [], []);
  },
  preview(module, { document, index, hidden }) {
    return writing(module, () => call(module, 'kerfwrightWritePreview', ['number', 'number', 'string'],
                                      [document, index, hidden.map((layer) => layer + '\n').join('')]));
  },
  saveOne(module, { document, index }) {
    return writing(module, () => call(module, 'kerfwrightSaveOne', ['number', 'number'], [document, index]));
  },
  saveAll(module, { document }) {
    return writing(module, () => call(module, 'kerfwrightSaveAllZip', ['number'], [document]));
  },
  release(module, { document }) {
    module.ccall('kerfwrightRelease', null, ['number'], [document]);
    return {};
  },
};

// Requests wait for the one before them, whatever they wait on inside.
let queue = Promise.resolve();
self.onmessage = ({ data }) => {
  queue = queue.then(async () => {
    const report = (text) => self.postMessage({ id: data.id, progress: text });
    let reply;
    try {
      reply = await handlers[data.kind](await modulePromise, data, report);
    } catch (error) {
      // The module cannot be trusted after an abort: the page starts another.
      reply = { failure: String(error && error.message || error), stopped: true };
    }
    const transfers = (reply.files || []).map((file) => file.bytes.buffer);
    self.postMessage({ id: data.id, reply }, transfers);
  });
};
