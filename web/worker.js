// The page's worker: makes and reads maps through the WebAssembly module, off
// the page's thread, and sends back the bytes, their hash, the figures, the
// pictures and the 3D faces. Follows the module's code in the same script.
'use strict';

const faceRecordBytes = 12;
const pictures = { top: 0, iso: 1, difference: 2 };
const mainSlot = 0;
const scratchSlot = 2;
// The most faces the 3D view takes on (each costs 72 bytes of the page's
// memory and as much of the graphics card's): about three times as many as a
// generated map has (seed 1: 668,608).
const faceLimit = 2000000;
const outOfMemory = "it does not fit in the page's memory";

const modulePromise = createQormapModule();

// The first map would wait for the system to give the world's 90 MB their
// pages, one at a time as it first writes each (about 100 ms on a virtual
// machine). The worker has them given while it waits for its first request:
// it writes each page's first byte back as it is, a slice at a time between
// messages, so that a request waits for one slice at most, and stops once a
// map has been made (the pages are then in place).
const touchSlice = 4 << 20;
let worldTouched = false;
function touchWorld(module) {
  let next = module._web_world_address();
  const end = next + module._web_world_size();
  const slices = new MessageChannel();
  slices.port1.onmessage = () => {
    const heap = module.HEAPU8;
    const sliceEnd = Math.min(end, next + touchSlice);
    for (; next < sliceEnd; next += 4096) heap[next] = heap[next];
    if (next < end && !worldTouched) slices.port2.postMessage(null);
    else slices.port1.close();
  };
  slices.port2.postMessage(null);
}
// (A module that fails to start says so through the first request.)
modulePromise.then(touchWorld, () => {});

function copyOut(module, pointer, length) {
  return module.HEAPU8.slice(pointer, pointer + length);
}

function pictureOf(module, which) {
  const width = module._web_picture_width(which);
  const height = module._web_picture_height(which);
  return { width, height, rgba: copyOut(module, module._web_picture(which), width * height * 4) };
}

// Paints picture `which` of the map in `slot` and copies it out for the
// reply; null when memory ran out.
function drawPicture(module, slot, which, transfers) {
  if (!module._web_render(slot, which)) return null;
  const picture = pictureOf(module, which);
  transfers.push(picture.rgba.buffer);
  return picture;
}

async function hexDigest(bytes) {
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return Array.from(digest, (byte) => byte.toString(16).padStart(2, '0')).join('');
}

// Builds the 3D faces of the map in `slot` into the reply, or says why the
// 3D view cannot show it.
function buildFaces(module, slot, reply, transfers) {
  const started = performance.now();
  const count = module._web_build_faces(slot, faceLimit);
  if (count >= 0 && count <= faceLimit) {
    reply.faces = copyOut(module, module._web_faces(), count * faceRecordBytes);
    transfers.push(reply.faces.buffer);
  } else {
    reply.no3d = count >= 0
      ? `it has ${count.toLocaleString('en')} faces, more than the 3D view's ${faceLimit.toLocaleString('en')}`
      : `its faces do not fit in the page's memory`;
  }
  module._web_release_faces();
  reply.faceCount = count;
  reply.meshMs = performance.now() - started;
}

// How many maps each of the main and second slots has kept: a later request
// for a picture or the faces names the map it wants, and gets none once the
// slot holds another.
const kept = [0, 0];

// Checks the scratch map and, when sound, draws it (the isometric picture and
// the faces only when `wants` asks for them) and only then keeps it in
// `slot`: whatever fails on the way leaves the slot's map as it was.
async function finish(module, slot, wants, reply, transfers) {
  const described = module._web_describe();
  if (described === 0) {
    reply.error = outOfMemory;
    return;
  }
  const description = JSON.parse(module.UTF8ToString(described));
  reply.verdict = description.verdict;
  reply.info = description.info;
  if (description.info === null) {
    return;
  }
  reply.top = drawPicture(module, scratchSlot, pictures.top, transfers);
  if (reply.top && wants.iso) reply.iso = drawPicture(module, scratchSlot, pictures.iso, transfers);
  if (!reply.top || (wants.iso && !reply.iso)) {
    reply.error = outOfMemory;
    return;
  }
  if (slot === mainSlot && wants.faces) buildFaces(module, scratchSlot, reply, transfers);
  const bytes = copyOut(module, module._web_map_data(scratchSlot), module._web_map_size(scratchSlot));
  reply.bytes = bytes;
  reply.sha256 = await hexDigest(bytes);
  transfers.push(bytes.buffer);
  module._web_keep(slot);
  reply.serial = ++kept[slot];
}

// The isometric picture or the faces of a map kept earlier, when the view
// that shows them opens.
function addTo(module, request, reply, transfers) {
  if (kept[request.slot] !== request.serial) {
    reply.stale = true;
  } else if (request.iso) {
    reply.iso = drawPicture(module, request.slot, pictures.iso, transfers);
    if (!reply.iso) reply.error = outOfMemory;
  } else if (request.faces) {
    buildFaces(module, request.slot, reply, transfers);
  }
}

async function handle(module, request) {
  const reply = { id: request.id, op: request.op, slot: request.slot };
  const transfers = [];
  if (request.op === 'limits') {
    reply.limits = JSON.parse(module.UTF8ToString(module._web_option_limits()));
  } else if (request.op === 'generate') {
    worldTouched = true;
    const o = request.options;
    const started = performance.now();
    const status = module._web_generate(o.seed, o.bumpiness, o.pillars, o.connectors, o.debug);
    reply.took = performance.now() - started;
    if (status !== 0) {
      reply.error = 'it could not be made: out of memory';
    } else {
      await finish(module, request.slot, request.wants || {}, reply, transfers);
    }
  } else if (request.op === 'load') {
    const bytes = new Uint8Array(request.bytes);
    const pointer = module._web_reserve(bytes.length);
    if (pointer === 0) {
      reply.error = outOfMemory;
    } else {
      module.HEAPU8.set(bytes, pointer);
      await finish(module, request.slot, request.wants || {}, reply, transfers);
    }
  } else if (request.op === 'add') {
    addTo(module, request, reply, transfers);
  } else if (request.op === 'compare') {
    reply.differing = module._web_compare();
    if (reply.differing >= 0) {
      reply.picture = pictureOf(module, pictures.difference);
      transfers.push(reply.picture.rgba.buffer);
    }
  }
  reply.memory = module.HEAPU8.length;
  self.postMessage(reply, transfers);
}

// One request at a time, in the order asked: each works on the scratch slot,
// and the page counts on the main map being the last one sent back sound.
let queue = modulePromise;
self.onmessage = (event) => {
  queue = queue
    .then((module) => handle(module, event.data))
    .catch((error) => {
      self.postMessage({ id: event.data.id, op: event.data.op, error: String(error) });
    })
    .then(() => modulePromise);
};
