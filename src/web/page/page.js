'use strict';
// The page: it hands the chosen files to the worker, which holds the compiled
// core, and draws what the core answers. Every text shown about a drawing
// comes from the core; the page only arranges it.

const workerSource = document.getElementById('workerSource').textContent;
const workerUrl = URL.createObjectURL(new Blob([workerSource], { type: 'text/javascript' }));
let worker = null;
let nextRequest = 0;
const pending = new Map();

function startWorker() {
  worker = new Worker(workerUrl);
  worker.onmessage = ({ data }) => {
    const waiting = pending.get(data.id);
    if (!waiting) return;
    if ('progress' in data) {
      waiting.onProgress?.(data.progress);
      return;
    }
    pending.delete(data.id);
    waiting.resolve(data.reply);
    if (data.reply.stopped) replaceWorker(data.reply.failure);
  };
  worker.onerror = (event) => {
    event.preventDefault();
    replaceWorker(event.message || 'The converter stopped');
  };
}

// A worker that stops takes its documents with it: every request still
// waiting gets the reason, and so does every document shown.
function replaceWorker(reason) {
  worker.terminate();
  for (const waiting of pending.values()) waiting.resolve({ failure: reason, stopped: true });
  pending.clear();
  let lost = false;
  for (const entry of state.entries) {
    if (!entry.outcome?.document) continue;
    entry.outcome = { failure: reason };
    lost = true;
  }
  startWorker();
  if (lost && !byId('results').hidden) showResults();
}

function request(kind, fields = {}, onProgress = null) {
  return new Promise((resolve) => {
    const id = ++nextRequest;
    pending.set(id, { resolve, onProgress });
    worker.postMessage({ id, kind, ...fields });
  });
}

// The fixed texts of the faces and buttons, as the core words them; the
// page shows its first face once they have come.
let texts = {};

const state = {
  profile: 'standard',
  hairline: false,
  profiles: ['standard'],
  entries: [],  // one per file opened together: { file, outcome, selection, hidden, failure }
  shown: 0,
  previewFit: true,
};

const byId = (id) => document.getElementById(id);
const faces = ['emptyFace', 'loadingFace', 'results'];

function showFace(id) {
  for (const face of faces) byId(face).hidden = face !== id;
}

// An element; `textKey` and `tipKey` name one of the core's fixed texts as
// its text and its tip, and stay on it for tests to read.
function element(tag, properties = {}, ...children) {
  const made = document.createElement(tag);
  for (const [name, value] of Object.entries(properties)) {
    if (name === 'textKey') {
      made.textContent = texts[value];
      made.dataset.textKey = value;
    } else if (name === 'tipKey') {
      made.title = texts[value];
      made.dataset.tipKey = value;
    } else if (name === 'className') made.className = value;
    else if (name.startsWith('on')) made.addEventListener(name.slice(2), value);
    else if (name === 'text') made.textContent = value;
    else made.setAttribute(name, value);
  }
  made.append(...children.filter((child) => child !== null));
  return made;
}

function download(file) {
  const type = file.name.endsWith('.svg') ? 'image/svg+xml'
    : file.name.endsWith('.zip') ? 'application/zip' : 'text/plain;charset=utf-8';
  const url = URL.createObjectURL(new Blob([file.bytes], { type }));
  const link = element('a', { href: url, download: file.name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// Reads and converts each file in turn, showing which one is being read.
async function openFiles(files) {
  if (!files.length) return;
  for (const entry of state.entries) releaseEntry(entry);
  state.entries = files.map((file) => ({ file, outcome: null, selection: 0, hidden: new Set(), failure: null }));
  state.shown = 0;
  await convertEntries();
}

async function convertEntries() {
  showFace('loadingFace');
  const total = state.entries.length;
  for (const [position, entry] of state.entries.entries()) {
    byId('loadingCount').textContent = total > 1 ? `${position + 1} / ${total}` : '';
    const answer = await request('load', { file: entry.file, profile: state.profile, hairline: state.hairline },
                                 (text) => { byId('loadingText').textContent = text; });
    if (answer.stopped) entry.outcome = { failure: `Failed to read ${entry.file.name}: ${answer.failure}` };
    else if (answer.failure !== undefined) entry.outcome = answer;
    else entry.outcome = { document: answer.document, ...answer.description };
    const count = entry.outcome.conversions?.length ?? 0;
    if (entry.selection >= count) entry.selection = 0;
  }
  showResults();
}

function releaseEntry(entry) {
  if (entry.outcome?.document) request('release', { document: entry.outcome.document });
  if (entry.previewUrl) URL.revokeObjectURL(entry.previewUrl);
}

function showResults() {
  const tabs = byId('resultTabs');
  tabs.replaceChildren();
  tabs.hidden = state.entries.length < 2;
  state.entries.forEach((entry, position) => {
    tabs.append(element('button', {
      role: 'tab', 'aria-selected': String(position === state.shown), text: entry.file.name,
      onclick: () => { state.shown = position; showResults(); },
    }));
  });
  const entry = state.entries[state.shown];
  const message = entry.failure ?? entry.outcome.failure;
  byId('result').replaceChildren(message !== undefined ? errorView(message) : loadedView(entry));
  showFace('results');
}

function errorView(message) {
  return element('div', { className: 'face', id: 'errorFace' },
    warningSymbol(48),
    element('h2', { textKey: 'errorHeading' }),
    element('pre', { className: 'message', id: 'errorMessage', text: message }),
    element('button', { className: 'large', textKey: 'tryAnotherFile', onclick: tryAnother }));
}

function tryAnother() {
  for (const entry of state.entries) releaseEntry(entry);
  state.entries = [];
  showFace('emptyFace');
}

function warningSymbol(size) {
  const symbol = document.createElementNS('http://www.w3.org/2000/svg', 'svg');
  symbol.setAttribute('class', 'symbol warning');
  symbol.setAttribute('width', size);
  symbol.setAttribute('height', size);
  symbol.setAttribute('viewBox', '0 0 24 24');
  const outline = document.createElementNS('http://www.w3.org/2000/svg', 'path');
  outline.setAttribute('d', 'M12 3 2 21h20L12 3z M12 10v5 M12 18v.5');
  symbol.append(outline);
  return symbol;
}

function loadedView(entry) {
  const loaded = entry.outcome;
  const conversion = loaded.conversions[entry.selection];
  const preview = element('div', { className: 'preview' }, previewFrame());
  const sidebar = element('aside', { className: 'sidebar' },
    element('div', { className: 'scrolled' },
      element('h2', { id: 'fileName', text: loaded.file }),
      ...pickerParts(entry),
      conversion ? details(entry, conversion, preview) : null),
    element('div', { className: 'fixed' }, outputChoice(), ...buttons(entry)));
  const content = conversion ? previewPane(preview)
    : element('div', { className: 'previewPane' }, element('div', { className: 'noContent', textKey: 'noContent' }));
  if (conversion) showPreview(entry, preview);
  return element('div', { className: 'document' }, saveFailureBanner(entry),
    element('div', { className: 'loaded' }, sidebar, content));
}

function pickerParts(entry) {
  const loaded = entry.outcome;
  if (loaded.conversions.length < 2) return [];
  const choose = (index) => { entry.selection = index; showResults(); };
  const labels = loaded.conversions.map((conversion) => conversion.label);
  let picker;
  if (loaded.pickerStyle === 'segmented') {
    picker = element('div', { className: 'picker segmented', id: 'conversionPicker' },
      ...labels.map((label, index) => element('button', {
        'aria-pressed': String(index === entry.selection), text: label, title: label, onclick: () => choose(index),
      })));
  } else {
    picker = element('select', { className: 'picker', id: 'conversionPicker', onchange: (event) => choose(event.target.selectedIndex) },
      ...labels.map((label, index) => {
        const option = element('option', { text: label });
        option.selected = index === entry.selection;
        return option;
      }));
  }
  return [element('h3', { id: 'pickerHeading', text: loaded.pickerHeading }), picker];
}

function details(entry, conversion, preview) {
  const loaded = entry.outcome;
  const layers = element('section', { className: 'layers', id: 'layerSummary' },
    element('h3', { textKey: 'layersHeading' }));
  if (loaded.materialAndMachine !== null) layers.append(recorded(loaded.materialAndMachine, 'materialAndMachine'));
  for (const layer of conversion.layers) layers.append(...layerRow(entry, layer, preview));
  const parts = [layers];
  if (loaded.settingsRecorded) {
    // The whole summary as the sidecar holds it, to paste where the settings are entered.
    parts.push(element('button', { textKey: 'copySettings', onclick: () => copySettings(entry) }));
  }
  parts.push(element('div', { className: 'bounds' }, element('h3', { textKey: 'boundsHeading' }),
    element('span', { className: 'size', id: 'boundsText', text: conversion.size })));
  if (conversion.warnings.length) {
    parts.push(element('section', { className: 'warnings', id: 'warningsBlock' },
      element('h3', {}, warningSymbol(14), ' ', element('span', { textKey: 'warningsHeading' })),
      ...conversion.warnings.map((warning) => element('p', { text: texts.warningBullet + warning }))));
  }
  return element('div', { className: 'details' }, ...parts);
}

async function copySettings(entry) {
  const summary = await request('sidecar', { document: entry.outcome.document, index: entry.selection });
  if (typeof summary.text === 'string') await navigator.clipboard.writeText(summary.text);
}

// Lines of the settings summary as the sidecar has them, to read and select.
function recorded(lines, className) {
  return element('pre', { className: `recorded ${className}`, text: lines });
}

function layerRow(entry, layer, preview) {
  const shown = element('input', { type: 'checkbox', tipKey: 'showLayer' });
  shown.checked = !entry.hidden.has(layer.name);
  shown.addEventListener('change', () => {
    if (shown.checked) entry.hidden.delete(layer.name);
    else entry.hidden.add(layer.name);
    showPreview(entry, preview);
  });
  const row = element('div', { className: 'layerRow' },
    element('label', {},
      element('span', { className: 'dot', style: `background: ${layer.colour}` }),
      shown,
      element('span', { className: 'name', text: layer.name })),
    element('span', { className: 'count', text: String(layer.count) }));
  return layer.settings === null ? [row] : [row, recorded(layer.settings, 'layerSettings')];
}

function outputChoice() {
  const menu = element('select', { id: 'profileMenu', onchange: (event) => setProfile(event.target.value, state.hairline) },
    ...state.profiles.map((name) => element('option', { text: name })));
  menu.value = state.profile;
  const hairline = element('input', { type: 'checkbox', id: 'hairline' });
  hairline.checked = state.hairline;
  hairline.addEventListener('change', () => setProfile(state.profile, hairline.checked));
  return element('div', { className: 'output' }, element('h3', { textKey: 'outputHeading' }), menu,
    element('label', {}, hairline, ' ', element('span', { textKey: 'hairline' })));
}

// A different profile converts the files again, keeping each one's choice.
function setProfile(profile, hairline) {
  state.profile = profile;
  state.hairline = hairline;
  for (const entry of state.entries) releaseEntry(entry);
  convertEntries();
}

function buttons(entry) {
  const loaded = entry.outcome;
  const saveOne = element('button', {
    className: 'large', id: 'saveOne', textKey: 'saveOne', tipKey: 'saveOneTip',
    onclick: () => save(entry, 'saveOne', { index: entry.selection }),
  });
  saveOne.disabled = !loaded.conversions.length;
  const saveAll = loaded.conversions.length < 2 ? null : element('button', {
    className: 'large', id: 'saveAll', text: loaded.saveAllTitle,
    onclick: () => save(entry, 'saveAll'),
  });
  const openAnother = element('button', { textKey: 'openAnother', onclick: chooseFiles });
  return [saveOne, saveAll, openAnother];
}

// A save that fails keeps the document shown, with why over it until dismissed.
async function save(entry, kind, fields = {}) {
  const saved = await request(kind, { document: entry.outcome.document, ...fields });
  if (saved.failure !== undefined) {
    entry.saveFailure = saved.failure;
    showResults();
    return;
  }
  saved.files.forEach(download);
}

function saveFailureBanner(entry) {
  if (entry.saveFailure === undefined) return null;
  return element('div', { className: 'banner', id: 'saveFailureBanner' },
    warningSymbol(14),
    element('span', { className: 'message', id: 'saveFailure', text: entry.saveFailure }),
    element('button', { textKey: 'dismiss', onclick: () => { delete entry.saveFailure; showResults(); } }));
}

function chooseFiles() {
  byId('fileInput').value = '';
  byId('fileInput').click();
}

function acceptDrops() {
  const body = document.body;
  const over = (event) => {
    event.preventDefault();
    body.classList.add('dropping');
  };
  body.addEventListener('dragenter', over);
  body.addEventListener('dragover', over);
  body.addEventListener('dragleave', (event) => { if (!event.relatedTarget) body.classList.remove('dropping'); });
  body.addEventListener('drop', (event) => {
    event.preventDefault();
    body.classList.remove('dropping');
    openFiles([...event.dataTransfer.files]);
  });
}

function acceptKeys() {
  document.addEventListener('keydown', (event) => {
    if (!(event.ctrlKey || event.metaKey)) return;
    const key = event.key.toLowerCase();
    if (key === 'o') chooseFiles();
    else if (key === 's' && !byId('results').hidden) byId('saveOne')?.click();
    else return;
    event.preventDefault();
  });
}

// "**" around bold words and "\n" for a line break, everything else as text.
function marked(text) {
  return text.split('**').flatMap((part, index) => {
    const lines = part.split('\n').flatMap((line, at) => (at ? [element('br'), line] : [line]));
    return index % 2 ? [element('b', {}, ...lines)] : lines;
  });
}

// The first face, once the core has given its texts; a file dropped or
// chosen meanwhile has a face of its own already.
function showTexts(answer) {
  texts = answer;
  document.title = texts.title;
  byId('title').textContent = texts.title;
  byId('dropInstruction').replaceChildren(...marked(texts.dropInstruction));
  byId('chooseFile').textContent = texts.chooseFile;
  for (const id of ['title', 'dropInstruction', 'chooseFile']) byId(id).dataset.textKey = id;
  if (!state.entries.length) showFace('emptyFace');
}

startWorker();
request('texts').then(showTexts);
byId('chooseFile').addEventListener('click', chooseFiles);
byId('fileInput').addEventListener('change', (event) => openFiles([...event.target.files]));
acceptDrops();
acceptKeys();
request('profiles').then((names) => { if (Array.isArray(names)) state.profiles = names; });
