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

// Takes the files a call wrote out of the file system, in the order its
// answer names them, and empties and removes the folder.
function emptied(module, folder, names) {
  const files = names.map((name) => ({ name, bytes: module.FS.readFile(`${folder}/${name}`) }));
  for (const name of module.FS.readdir(folder)) {
    if (name !== '.' && name !== '..') module.FS.unlink(`${folder}/${name}`);
  }
  module.FS.rmdir(folder);
  return files;
}

// Runs a call that writes into a fresh folder, made the current one so that
// the core names the files alone; gives what it wrote, in order, or its
// failure with nothing kept.
function writing(module, callWrites) {
  const folder = freshFolder(module);
  module.FS.chdir(folder);
  let answer;
  try {
    answer = callWrites();
  } finally {
    module.FS.chdir('/');
  }
  const files = emptied(module, folder, answer.failure ? [] : answer.files);
  return answer.failure ? answer : { files };
}

const handlers = {
  // The file is read under the name the user chose, from a folder of its
  // own made the current one, so that a message names that file alone.
  async load(module, { file, profile, hairline }, report) {
    report(module.ccall('kerfwrightLoadingText', 'string', ['string'], [file.name]));
    const bytes = new Uint8Array(await file.arrayBuffer());
    const folder = freshFolder(module);
    module.FS.chdir(folder);
    try {
      module.FS.writeFile(file.name, bytes);
      return call(module, 'kerfwrightLoad', ['string', 'string', 'number'], [file.name, profile, hairline ? 1 : 0]);
    } finally {
      module.FS.chdir('/');
      try { module.FS.unlink(`${folder}/${file.name}`); } catch { /* never written */ }
      module.FS.rmdir(folder);
    }
  },
  texts(module) {
    return call(module, 'kerfwrightTexts', [], []);
  },
  sidecar(module, { document, index }) {
    return call(module, 'kerfwrightSidecar', ['number', 'number'], [document, index]);
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
