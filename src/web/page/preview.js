// The page's preview: the pane with its zoom buttons, and the frame the
// drawing is shown in. It comes before page.js in the page's script and
// uses its state and helpers when called.

function previewPane(preview) {
  const zoom = (fit) => () => {
    state.previewFit = fit;
    preview.firstChild.contentWindow?.postMessage({ fit }, '*');
  };
  return element('div', { className: 'previewPane' },
    element('div', { className: 'previewBar' },
      element('span', { className: 'busy', id: 'previewBusy', textKey: 'previewBusy' }),
      element('button', { textKey: 'fit', title: texts.fit, onclick: zoom(true) }),
      element('button', { textKey: 'actualSize', title: texts.actualSize, onclick: zoom(false) })),
    preview);
}

// What runs inside the preview's frame: it shows the image it is given,
// fitted or at its own size, and says when it is on screen.
function previewViewer() {
  let shownUrl = null;
  let latest = 0;
  addEventListener('message', async ({ source, data }) => {
    if (source !== parent) return;
    document.body.classList.toggle('fit', data.fit);
    if (!data.image) return;
    const mine = ++latest;
    const url = URL.createObjectURL(data.image);
    const image = new Image();
    image.alt = 'Preview';
    image.src = url;
    await image.decode().catch(() => {});
    if (mine !== latest) return URL.revokeObjectURL(url);
    document.body.replaceChildren(image);
    if (shownUrl) URL.revokeObjectURL(shownUrl);
    shownUrl = url;
    requestAnimationFrame(() => requestAnimationFrame(() => parent.postMessage({ shown: data.token }, '*')));
  });
}

const viewerDocument = `<!DOCTYPE html><html><head><meta charset="utf-8"><style>
html, body { margin: 0; height: 100%; }
body { display: flex; overflow: auto; }
img { margin: auto; display: block; }
body.fit img { width: 96%; height: 96%; object-fit: contain; }
</style></head><body><script>(${previewViewer})();<\/script></body></html>`;

// The drawing is shown in a frame of its own. Sandboxed without an origin,
// the frame reaches nothing of the page, and the browser draws it apart
// from the page, which goes on answering while a large drawing is decoded.
// Inside, the drawing is an image over a blob address, so nothing in a file
// can run or fetch anything.
function previewFrame() {
  const frame = element('iframe', { id: 'previewFrame', sandbox: 'allow-scripts', title: 'Preview' });
  frame.srcdoc = viewerDocument;
  frame.loaded = new Promise((resolve) => frame.addEventListener('load', resolve, { once: true }));
  return frame;
}

// Resolves once `frame` has put `image` on screen, or a later image in its
// place; never if it is taken away first.
let nextShown = 0;
const showing = new Map();
addEventListener('message', ({ source, data }) => {
  const frame = byId('previewFrame');
  if (!frame || source !== frame.contentWindow) return;
  for (const [token, resolve] of showing) {
    if (token > data.shown) break;
    resolve();
    showing.delete(token);
  }
});

async function shownIn(frame, image) {
  await frame.loaded;
  if (!frame.isConnected) return new Promise(() => {});
  const token = ++nextShown;
  const shown = new Promise((resolve) => showing.set(token, resolve));
  frame.contentWindow.postMessage({ image, token, fit: state.previewFit }, '*');
  return shown;
}

// The bar says the preview is being made from the moment it is asked for
// until the image is decoded and shown. The frame keeps the address of the
// image it shows, for tests to read.
async function showPreview(entry, preview) {
  const asked = { index: entry.selection, hidden: [...entry.hidden] };
  entry.previewAsked = asked;
  const busy = (on) => byId('previewBusy')?.classList.toggle('shown', on);
  busy(true);
  const made = await request('preview', { document: entry.outcome.document, ...asked });
  if (entry.previewAsked !== asked) return;
  if (made.failure !== undefined) return busy(false);
  const image = new Blob([made.files[0].bytes], { type: 'image/svg+xml' });
  const frame = preview.firstChild;
  await shownIn(frame, image);
  if (entry.previewAsked !== asked) return;
  if (entry.previewUrl) URL.revokeObjectURL(entry.previewUrl);
  entry.previewUrl = URL.createObjectURL(image);
  frame.dataset.image = entry.previewUrl;
  busy(false);
}
