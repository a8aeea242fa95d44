// The page: reads the options from the form or the link, has the worker make
// or read the map, and shows its figures and views. Nothing here reaches the
// network: the worker and its WebAssembly come from this file.
'use strict';

const $ = (id) => document.getElementById(id);

// The ranges the command line clamps to, and its defaults: min, max and
// fallback come from the module at start-up (the library's own).
const limits = {
  bumpiness: { letter: 'b', name: 'bumpiness' },
  pillars: { letter: 'p', name: 'pillars' },
  connectors: { letter: 'c', name: 'connectors' },
};
// The options of a map with only a seed.
function defaultOptions() {
  const options = { debug: 0 };
  for (const [key, limit] of Object.entries(limits)) options[key] = limit.fallback;
  return options;
}
const views = ['top', 'iso', '3d'];
// The module holds the map shown and the one being read at once: its memory
// (web/CMakeLists.txt) has room for two files of this size beside the world.
const largestFile = 64 * 1024 * 1024;
const mainSlot = 0;
const secondSlot = 1;

// An integer as -s and the other options read it, wrapped modulo 2^32; null
// for text that is not an integer (the command would read it as 0).
function readInteger(text) {
  const trimmed = String(text).trim();
  if (!/^[+-]?\d+$/.test(trimmed)) return null;
  return Number(BigInt.asIntN(32, BigInt(trimmed)));
}

// ---- the worker ----------------------------------------------------------

// (`worker` is started at the top of index.html.)
const waiting = new Map();
let nextRequest = 1;
worker.onmessage = (event) => {
  const resolve = waiting.get(event.data.id);
  waiting.delete(event.data.id);
  if (resolve) resolve(event.data);
};
worker.onerror = (event) => {
  event.preventDefault();
  showStatus('The map maker stopped: ' + (event.message || 'unknown error'), 'error');
};
function ask(request, transfers) {
  return new Promise((resolve) => {
    request.id = nextRequest++;
    waiting.set(request.id, resolve);
    worker.postMessage(request, transfers || []);
  });
}

// ---- messages ------------------------------------------------------------

function say(element, text, kind) {
  element.textContent = text;
  element.className = 'message' + (kind ? ' ' + kind : '');
}
// Lines shown in #status so far: a map that arrives leaves a newer line alone.
let statusLines = 0;
function showStatus(text, kind) {
  if (text) ++statusLines;
  say($('status'), text, kind);
}

// ---- options, the form and the link --------------------------------------

// Reads the form; returns { options } or { error, field }, and notes clamping.
function formOptions() {
  const seed = readInteger($('seed').value);
  if (seed === null) return { error: `The seed must be an integer, not '${$('seed').value}'.`, field: 'seed' };
  const options = { seed, debug: $('debug').checked ? 1 : 0 };
  const notes = [];
  for (const [key, limit] of Object.entries(limits)) {
    const text = $(key).value.trim();
    const value = text === '' ? limit.fallback : readInteger(text);
    if (value === null) return { error: `-${limit.letter} must be an integer, not '${text}'.`, field: key };
    options[key] = Math.min(limit.max, Math.max(limit.min, value));
    if (options[key] !== value) notes.push(`${limit.name} ${value} is out of ${limit.min} to ${limit.max}: ${options[key]} is used`);
  }
  return { options, notes };
}

function fillForm(options) {
  $('seed').value = options.seed;
  for (const key of Object.keys(limits)) $(key).value = options[key];
  $('debug').checked = options.debug !== 0;
}

// The state a link names; { error } for keys or values that make no sense.
function readFragment(fragment) {
  const state = { options: defaultOptions(), view: null };
  const bad = [];
  for (const [key, value] of new URLSearchParams(fragment)) {
    const entry = Object.entries(limits).find(([, limit]) => limit.letter === key);
    if (key === 's') {
      state.options.seed = readInteger(value);
      if (state.options.seed === null) bad.push(`${key}=${value}`);
    } else if (entry) {
      const number = readInteger(value);
      if (number === null) bad.push(`${key}=${value}`);
      else state.options[entry[0]] = number;
    } else if (key === 'd' && (value === '0' || value === '1')) {
      state.options.debug = Number(value);
    } else if (key === 'view' && views.includes(value)) {
      state.view = value;
    } else {
      bad.push(value === '' ? key : `${key}=${value}`);
    }
  }
  if (bad.length) return { error: `The link names no map: '${bad.join("', '")}' is not understood (it takes s, b, p, c as integers, d=1 and view=top, iso or 3d).` };
  return state;
}

function fragmentOf(options, view) {
  let text = `s=${options.seed}`;
  for (const [key, limit] of Object.entries(limits)) {
    if (options[key] !== limit.fallback) text += `&${limit.letter}=${options[key]}`;
  }
  if (options.debug) text += '&d=1';
  return text + `&view=${view}`;
}

// The command that writes the same bytes.
function commandOf(options) {
  let text = `qormap -s ${options.seed}`;
  for (const [key, limit] of Object.entries(limits)) {
    if (options[key] !== limit.fallback) text += ` -${limit.letter} ${options[key]}`;
  }
  return options.debug ? text + ' -d' : text;
}

// ---- pictures that pan and zoom ------------------------------------------

function pictureCanvas(picture) {
  const canvas = document.createElement('canvas');
  canvas.width = picture.width;
  canvas.height = picture.height;
  const pixels = new ImageData(new Uint8ClampedArray(picture.rgba.buffer), picture.width, picture.height);
  canvas.getContext('2d').putImageData(pixels, 0, 0);
  return canvas;
}

// Each flat pane fits its picture; a drag or zoom moves every pane alike, so
// that compared maps stay in step.
const flat = { panes: [] };

function fitPane(pane) {
  const size = pane.canvas.width;
  const image = pane.image;
  pane.scale = Math.min(size / image.width, size / image.height);
  pane.x = (size - image.width * pane.scale) / 2;
  pane.y = (size - image.height * pane.scale) / 2;
  pane.fitted = image;
}

function drawFlat() {
  for (const pane of flat.panes) {
    const canvas = pane.canvas;
    const size = Math.round(canvas.clientWidth * devicePixelRatio);
    if (size > 0 && canvas.width !== size) { canvas.width = size; canvas.height = size; pane.fitted = null; }
    const context = canvas.getContext('2d');
    context.setTransform(1, 0, 0, 1, 0, 0);
    context.clearRect(0, 0, canvas.width, canvas.height);
    if (!pane.image) continue;
    const previous = pane.fitted;
    if (!previous || previous.width !== pane.image.width || previous.height !== pane.image.height) fitPane(pane);
    pane.fitted = pane.image;
    context.imageSmoothingEnabled = false;
    context.setTransform(pane.scale, 0, 0, pane.scale, pane.x, pane.y);
    context.drawImage(pane.image, 0, 0);
  }
}

function zoomFlat(factor, canvasX, canvasY) {
  for (const pane of flat.panes) {
    if (!pane.image) continue;
    const scale = Math.min(64, Math.max(0.1, pane.scale * factor));
    pane.x = canvasX - ((canvasX - pane.x) * scale) / pane.scale;
    pane.y = canvasY - ((canvasY - pane.y) * scale) / pane.scale;
    pane.scale = scale;
  }
  drawFlat();
}

function panFlat(dx, dy) {
  for (const pane of flat.panes) { pane.x += dx; pane.y += dy; }
  drawFlat();
}

function attachPanZoom(canvas) {
  const local = (event) => {
    const box = canvas.getBoundingClientRect();
    return [(event.clientX - box.left) * devicePixelRatio, (event.clientY - box.top) * devicePixelRatio];
  };
  canvas.addEventListener('wheel', (event) => {
    event.preventDefault();
    const [x, y] = local(event);
    zoomFlat(Math.exp(-event.deltaY * 0.002), x, y);
  }, { passive: false });
  trackPointers(canvas, local, { drag: panFlat, pinch: zoomFlat });
}

// ---- the shown map -------------------------------------------------------

const shown = { main: null, second: null, difference: null, view: 'top', comparing: null };
let viewer3d = null;
let mapsShown = 0;

function pictureFor(map) {
  if (!map) return null;
  return shown.view === 'iso' ? map.isoCanvas : map.topCanvas;
}

// What the worker should draw with a new map: only what the view shown needs.
function wants(slot) {
  return { iso: shown.view === 'iso', faces: slot === mainSlot && shown.view === '3d' && viewer3d !== null };
}

// Asks the worker, once a map, for what the view shown needs and the map came
// without; a map the worker no longer holds gets nothing (a newer one is on
// its way, and asks for itself).
function askForMissing() {
  const maps = [shown.main];
  if (shown.comparing && shown.comparing !== 'diff') maps.push(shown.second);
  for (const map of maps) {
    if (!map || shown.view !== 'iso' || map.isoCanvas || map.isoAsked) continue;
    map.isoAsked = true;
    ask({ op: 'add', slot: map.slot, serial: map.serial, iso: true }).then((reply) => {
      if (reply.iso) map.isoCanvas = pictureCanvas(reply.iso);
      else if (reply.error) showStatus(`The isometric picture was not drawn: ${reply.error}.`, 'error');
      if (shown.main === map || shown.second === map) showViews();
    });
  }
  const map = shown.main;
  if (map && shown.view === '3d' && viewer3d !== null && !map.faces && !map.facesAsked) {
    map.facesAsked = true;
    ask({ op: 'add', slot: mainSlot, serial: map.serial, faces: true }).then((reply) => {
      if (reply.stale) return;
      takeFaces(map, reply);
      if (shown.main === map) showViews();
    });
  }
}

// Keeps a map's faces, or why it has none, and shows them while it is shown.
function takeFaces(map, reply) {
  map.faces = reply.faces ? { records: reply.faces, count: reply.faceCount } : { records: new Uint8Array(0), count: 0 };
  map.no3d = reply.no3d;
  if (shown.main !== map) return;
  $('faces').textContent = reply.faces
    ? `${formatCount(reply.faceCount)} (built in ${reply.meshMs.toFixed(0)} ms)`
    : `no 3D view: ${reply.no3d}`;
  if (viewer3d) viewer3d.setFaces(map.faces.records, map.faces.count);
}

function showViews() {
  const no3d = viewer3d === null
    ? 'This browser has no WebGL 2, so there is no 3D view; the top and isometric views work.'
    : shown.main && shown.main.no3d ? `No 3D view of this map: ${shown.main.no3d}. The top and isometric views show it.` : '';
  const building = shown.view === '3d' && !no3d && shown.main !== null && !shown.main.faces;
  const three = shown.view === '3d' && !no3d && !building;
  for (const tab of document.querySelectorAll('.tabs button')) {
    tab.setAttribute('aria-selected', String(tab.dataset.view === shown.view));
  }
  $('view-flat').hidden = three;
  $('view-3d').hidden = !three;
  $('no-3d').hidden = !(shown.view === '3d' && (no3d || building));
  $('no-3d').textContent = building ? 'Building the 3D faces…' : no3d;
  $('view-hint').textContent = shown.view === '3d'
    ? 'Drag to orbit, wheel or pinch to zoom.'
    : 'Drag to move, wheel or pinch to zoom; each pixel of the top view is a column.';
  flat.panes[0].image = pictureFor(shown.main);
  const comparing = shown.comparing !== null && shown.second !== null;
  $('second-pane').hidden = !comparing;
  if (comparing) {
    flat.panes[1].image = shown.comparing === 'diff' ? shown.difference.canvas : pictureFor(shown.second);
    $('second-caption').textContent = shown.comparing === 'diff'
      ? `${formatCount(shown.difference.count)} of 262,144 columns differ from seed ${shown.second.options.seed} (red, seen from above)`
      : `seed ${shown.second.options.seed}`;
  }
  drawFlat();
  if (three) viewer3d.redraw();
  askForMissing();
}

function formatCount(value) {
  return Number(value).toLocaleString('en');
}

function showHeights(heights) {
  let lowest = -1;
  let highest = -1;
  let total = 0;
  heights.forEach((count, height) => {
    if (count > 0) { if (lowest < 0) lowest = height; highest = height; total += count; }
  });
  let median = 0;
  for (let height = 0, seen = 0; height < heights.length; ++height) {
    seen += heights[height];
    if (seen * 2 >= total) { median = height; break; }
  }
  $('heights').textContent = total ? `${lowest} to ${highest}, median ${median}` : 'none';
  const canvas = $('height-chart');
  const context = canvas.getContext('2d');
  context.clearRect(0, 0, canvas.width, canvas.height);
  context.fillStyle = getComputedStyle(document.documentElement).getPropertyValue('--accent');
  // A square-root scale, so that rare heights show beside the ground.
  const most = Math.sqrt(Math.max(1, ...heights));
  const bar = canvas.width / heights.length;
  heights.forEach((count, height) => {
    const tall = (Math.sqrt(count) / most) * canvas.height;
    context.fillRect(height * bar, canvas.height - tall, Math.max(1, bar - 1), tall);
  });
}

// Shows a sound map's reply from the worker as the main map.
function showMain(reply, source) {
  const map = {
    bytes: reply.bytes, options: source.options || null, fileName: source.fileName,
    topCanvas: pictureCanvas(reply.top), isoCanvas: reply.iso ? pictureCanvas(reply.iso) : null,
    slot: mainSlot, serial: reply.serial, faces: null, no3d: undefined,
  };
  shown.main = map;
  const info = reply.info;
  $('title').textContent = source.options ? `Seed ${source.options.seed}` : source.fileName;
  $('sha256').textContent = reply.sha256;
  $('took').textContent = reply.took === undefined ? '–' : reply.took.toFixed(1);
  $('command').textContent = source.options ? commandOf(source.options) : `vxltool check ${source.fileName}`;
  $('verdict').textContent = reply.verdict;
  $('size').textContent = `${formatCount(info.bytes)} bytes, 512 × 512 × 64`;
  $('solid').textContent = formatCount(info.solid_voxels);
  $('colored').textContent = formatCount(info.colored_voxels);
  $('spans').textContent = formatCount(info.spans);
  $('empty').textContent = formatCount(info.empty_columns);
  $('faces').textContent = 'built when the 3D view opens';
  $('memory').textContent = `${(reply.memory / 1048576).toFixed(0)} MB of WebAssembly memory`;
  showHeights(info.surface_heights);
  $('download').disabled = false;
  if (viewer3d) viewer3d.setFaces(new Uint8Array(0), 0);
  if (reply.faceCount !== undefined) takeFaces(map, reply);
  if (source.notes) say($('form-message'), source.notes, 'note');
  document.title = `qormap: ${$('title').textContent}`;
  showViews();
  if (shown.comparing) compareAgain();
  document.body.dataset.maps = String(++mapsShown);
}

// The worker keeps every sound map it makes or reads for the main view as its
// main map, one request after the other. The page shows the newest of them
// once no later one is on its way: a refused file or a failed map then leaves
// shown the map that the worker holds, and compares.
const mainRequests = { pending: 0, ready: null };
const making = 'Making the map…';

async function askForMain(request, transfers, refuse, show) {
  ++mainRequests.pending;
  const reply = await ask(request, transfers);
  --mainRequests.pending;
  if (reply.error || !reply.info) refuse(reply);
  else mainRequests.ready = () => show(reply);
  if (mainRequests.pending > 0) return;
  const ready = mainRequests.ready;
  mainRequests.ready = null;
  if (ready) ready();
  if ($('form-message').textContent === making) say($('form-message'), '');
}

// What a refusal leaves shown.
function keptNote() {
  if (mainRequests.pending || mainRequests.ready) return ' The map asked for earlier is still coming.';
  return shown.main ? ' The map shown is unchanged.' : '';
}

function generate(options, notes) {
  // A line or an address that the visitor changed since stays as it is.
  const asked = { lines: statusLines, hash: location.hash };
  const note = notes && notes.length ? notes.join('; ') + '.' : '';
  say($('form-message'), note || making, note ? 'note' : '');
  return askForMain({ op: 'generate', slot: mainSlot, options, wants: wants(mainSlot) }, [],
    (reply) => showStatus(`The map of seed ${options.seed} was not shown: ${reply.error || 'it came out unsound, ' + reply.verdict}.`, 'error'),
    (reply) => {
      if (statusLines === asked.lines) showStatus('');
      if (location.hash === asked.hash) history.replaceState(null, '', '#' + fragmentOf(options, shown.view));
      showMain(reply, { options, notes: note });
    });
}

function generateFromForm() {
  const read = formOptions();
  for (const id of ['seed', ...Object.keys(limits)]) $(id).removeAttribute('aria-invalid');
  if (read.error) {
    $(read.field).setAttribute('aria-invalid', 'true');
    say($('form-message'), read.error, 'error');
    return;
  }
  generate(read.options, read.notes);
}

function openFragment() {
  const fragment = location.hash.replace(/^#/, '');
  if (fragment === '') return false;
  const state = readFragment(fragment);
  if (state.error) {
    showStatus(state.error + keptNote(), 'error');
    return true;
  }
  if (state.view) {
    shown.view = state.view;
    showViews();
  }
  if (state.options.seed === undefined) state.options.seed = randomSeed();
  fillForm(state.options);
  generateFromForm();
  return true;
}

function randomSeed() {
  return crypto.getRandomValues(new Int32Array(1))[0];
}

// ---- comparing -----------------------------------------------------------

async function compareAgain() {
  const reply = await ask({ op: 'compare' });
  if (reply.differing < 0 || !reply.picture) return;
  shown.difference = { count: reply.differing, canvas: pictureCanvas(reply.picture) };
  showViews();
}

async function compareWith() {
  const seed = readInteger($('seed2').value);
  if (seed === null) {
    say($('compare-message'), `The seed to compare must be an integer, not '${$('seed2').value}'.`, 'error');
    return;
  }
  // The first map's options, as the form holds them (the defaults where it holds none).
  const read = formOptions();
  const options = Object.assign(defaultOptions(), read.options, { seed });
  say($('compare-message'), 'Making the second map…');
  const reply = await ask({ op: 'generate', slot: secondSlot, options, wants: wants(secondSlot) });
  if (reply.error || !reply.info) {
    say($('compare-message'), reply.error || reply.verdict, 'error');
    return;
  }
  shown.second = {
    options, topCanvas: pictureCanvas(reply.top), isoCanvas: reply.iso ? pictureCanvas(reply.iso) : null,
    slot: secondSlot, serial: reply.serial,
  };
  shown.comparing = $('compare-mode').value;
  say($('compare-message'), `${commandOf(options)}: SHA-256 ${reply.sha256.slice(0, 16)}…`);
  await compareAgain();
}

// ---- map files -----------------------------------------------------------

async function openFile(file) {
  if (!file) return;
  const asked = { lines: statusLines };
  if (file.size === 0) { showStatus(`${file.name} is empty: not a map.${keptNote()}`, 'error'); return; }
  if (file.size > largestFile) {
    showStatus(`${file.name} is ${formatCount(file.size)} bytes, over the ${formatCount(largestFile)} (64 MiB) that the page reads, so it was not read.${keptNote()}`, 'error');
    return;
  }
  let bytes;
  try {
    bytes = await file.arrayBuffer();
  } catch (error) {
    showStatus(`${file.name} could not be read: ${error.message}.${keptNote()}`, 'error');
    return;
  }
  await askForMain({ op: 'load', slot: mainSlot, bytes, wants: wants(mainSlot) }, [bytes],
    (reply) => showStatus(reply.error
      ? `${file.name} was not shown: ${reply.error}.${keptNote()}`
      : `${file.name} is not a sound map: ${reply.verdict}.${keptNote()}`, 'error'),
    (reply) => {
      if (statusLines === asked.lines) showStatus(`${file.name}: ok, a sound map.${reply.no3d ? ` No 3D view: ${reply.no3d}.` : ''}`);
      showMain(reply, { fileName: file.name });
    });
}

// ---- wiring --------------------------------------------------------------

function download() {
  const map = shown.main;
  if (!map) return;
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([map.bytes], { type: 'application/octet-stream' }));
  link.download = map.options ? `qormap-${map.options.seed}.vxl` : map.fileName;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

function setTheme(theme) {
  document.documentElement.dataset.theme = theme;
  try { localStorage.setItem('qormap-theme', theme); } catch (error) { /* a private window */ }
  if (shown.main) showViews();
}

async function start() {
  for (const [key, limit] of Object.entries((await ask({ op: 'limits' })).limits)) {
    Object.assign(limits[key], limit);
    $(key).value = limit.fallback;
    $(key + '-range').textContent = `${limit.min} to ${limit.max}`;
  }
  let theme = matchMedia('(prefers-color-scheme: dark)').matches ? 'dark' : 'light';
  try { theme = localStorage.getItem('qormap-theme') || theme; } catch (error) { /* a private window */ }
  document.documentElement.dataset.theme = theme;
  $('theme').addEventListener('click', () => setTheme(document.documentElement.dataset.theme === 'dark' ? 'light' : 'dark'));

  flat.panes = [{ canvas: $('view-flat'), image: null }, { canvas: $('view-second'), image: null }];
  for (const pane of flat.panes) attachPanZoom(pane.canvas);
  viewer3d = createViewer3d($('view-3d'));
  // For the benchmark, which times a draw.
  window.qormapViewer3d = viewer3d;

  $('options').addEventListener('submit', (event) => { event.preventDefault(); generateFromForm(); });
  $('random').addEventListener('click', () => { $('seed').value = randomSeed(); generateFromForm(); });
  $('compare-form').addEventListener('submit', (event) => { event.preventDefault(); if (shown.main) compareWith(); });
  $('compare-mode').addEventListener('change', () => { if (shown.comparing) { shown.comparing = $('compare-mode').value; showViews(); } });
  $('compare-off').addEventListener('click', () => { shown.comparing = null; say($('compare-message'), ''); showViews(); });
  $('download').addEventListener('click', download);
  for (const tab of document.querySelectorAll('.tabs button')) {
    tab.addEventListener('click', () => {
      shown.view = tab.dataset.view;
      if (shown.main && shown.main.options) history.replaceState(null, '', '#' + fragmentOf(shown.main.options, shown.view));
      showViews();
    });
  }
  $('file').addEventListener('change', () => openFile($('file').files[0]));
  document.addEventListener('dragover', (event) => { event.preventDefault(); document.body.classList.add('dragging'); });
  document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    openFile(event.dataTransfer.files[0]);
  });
  window.addEventListener('hashchange', openFragment);
  window.addEventListener('resize', () => showViews());

  showViews();
  if (!openFragment()) {
    $('seed').value = randomSeed();
    generateFromForm();
  }
}

start();
