// The page's worker: makes and reads maps through the WebAssembly module, off
// the page's thread, and sends back the bytes, their hash, the figures, the
// pictures and the 3D faces. Follows the module's code in the same script.
'use strict';

const faceRecordBytes = 12;
const pictures = { top: 0, iso: 1, difference: 2 };

const modulePromise = createQormapModule();

function copyOut(module, pointer, length) {
  return module.HEAPU8.slice(pointer, pointer + length);
}

function pictureOf(module, which) {
  const width = module._web_picture_width(which);
  const height = module._web_picture_height(which);
  return { width, height, rgba: copyOut(module, module._web_picture(which), width * height * 4) };
}

async function hexDigest(bytes) {
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return Array.from(digest, (byte) => byte.toString(16).padStart(2, '0')).join('');
}

// Checks the scratch map and, when sound, keeps it in `slot` and draws it.
async function finish(module, slot, reply, transfers) {
  const description = JSON.parse(module.UTF8ToString(module._web_describe()));
  reply.verdict = description.verdict;
  reply.info = description.info;
  if (description.info === null) {
    return;
  }
  module._web_keep(slot);
  const bytes = copyOut(module, module._web_map_data(slot), module._web_map_size(slot));
  reply.bytes = bytes;
  reply.sha256 = await hexDigest(bytes);
  module._web_render(slot);
  reply.top = pictureOf(module, pictures.top);
  reply.iso = pictureOf(module, pictures.iso);
  const meshStarted = performance.now();
  const count = module._web_build_faces(slot);
  reply.faces = copyOut(module, module._web_faces(), count * faceRecordBytes);
  reply.faceCount = count;
  reply.meshMs = performance.now() - meshStarted;
  module._web_release_faces();
  transfers.push(bytes.buffer, reply.top.rgba.buffer, reply.iso.rgba.buffer, reply.faces.buffer);
}

async function handle(module, request) {
  const reply = { id: request.id, op: request.op, slot: request.slot };
  const transfers = [];
  if (request.op === 'generate') {
    const o = request.options;
    const started = performance.now();
    const status = module._web_generate(o.seed, o.bumpiness, o.pillars, o.connectors, o.debug);
    reply.took = performance.now() - started;
    if (status !== 0) {
      reply.error = 'the map could not be made: out of memory';
    } else {
      await finish(module, request.slot, reply, transfers);
    }
  } else if (request.op === 'load') {
    const bytes = new Uint8Array(request.bytes);
    const pointer = module._web_reserve(bytes.length);
    if (pointer === 0) {
      reply.error = 'the file does not fit in memory';
    } else {
      module.HEAPU8.set(bytes, pointer);
      await finish(module, request.slot, reply, transfers);
    }
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

self.onmessage = (event) => {
  modulePromise
    .then((module) => handle(module, event.data))
    .catch((error) => {
      self.postMessage({ id: event.data.id, op: event.data.op, error: String(error) });
    });
};
