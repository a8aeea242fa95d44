// The 3D view: a map's exposed faces as unit squares in WebGL 2,
// lit from one side so that pillars and connectors read as solid shapes,
// orbited and zoomed with a mouse or fingers.
'use strict';

const faceVertexShader = `#version 300 es
in uvec2 a_column;  // x, y of the voxel
in uvec2 a_face;     // height above the bottom layer, side (0 +x, 1 -x, 2 up, 3 down, 4 +y, 5 -y)
in vec4 a_color;
uniform mat4 u_view;
out vec3 v_color;
out float v_light;
void main() {
  int side = int(a_face.y);
  vec2 column = vec2(a_column);
  int axis = side / 2;            // 0: x, 1: up, 2: y
  float far = side % 2 == 0 ? 1.0 : 0.0;
  // The square's corners (0,0) (1,0) (1,1) (0,1), four vertices a face.
  int corner = gl_VertexID % 4;
  vec2 c = vec2(corner == 1 || corner == 2 ? 1.0 : 0.0, corner >= 2 ? 1.0 : 0.0);
  vec3 offset = axis == 0 ? vec3(far, c.x, c.y) : axis == 1 ? vec3(c.x, far, c.y) : vec3(c.x, c.y, far);
  vec3 normal = vec3(axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0) * (far * 2.0 - 1.0);
  vec3 position = vec3(column.x, float(a_face.x), column.y) + offset;
  gl_Position = u_view * vec4(position, 1.0);
  vec3 light = normalize(vec3(0.45, 0.8, 0.3));
  v_light = 0.45 + 0.6 * max(dot(normal, light), 0.0);
  v_color = a_color.rgb;
}`;

const faceFragmentShader = `#version 300 es
precision mediump float;
in vec3 v_color;
in float v_light;
out vec4 color;
void main() { color = vec4(v_color * v_light, 1.0); }`;

const faceRecordBytes = 12;
const mapCentre = [256, 24, 256];

function perspective(fovY, aspect, near, far) {
  const f = 1 / Math.tan(fovY / 2);
  return [f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, (far + near) / (near - far), -1,
    0, 0, (2 * far * near) / (near - far), 0];
}

function multiply(a, b) {
  const out = new Array(16).fill(0);
  for (let column = 0; column < 4; ++column) {
    for (let row = 0; row < 4; ++row) {
      for (let k = 0; k < 4; ++k) out[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
    }
  }
  return out;
}

// A camera at `eye` looking at `target`, y up.
function lookAt(eye, target) {
  const sub = (a, b) => a.map((v, i) => v - b[i]);
  const norm = (v) => { const l = Math.hypot(...v); return v.map((x) => x / l); };
  const cross = (a, b) => [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]];
  const dot = (a, b) => a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  const z = norm(sub(eye, target));
  const x = norm(cross([0, 1, 0], z));
  const y = cross(z, x);
  return [x[0], y[0], z[0], 0, x[1], y[1], z[1], 0, x[2], y[2], z[2], 0,
    -dot(x, eye), -dot(y, eye), -dot(z, eye), 1];
}

function compile(gl, type, source) {
  const shader = gl.createShader(type);
  gl.shaderSource(shader, source);
  gl.compileShader(shader);
  return shader;
}

// Returns null when the browser offers no WebGL 2.
function createViewer3d(canvas) {
  const gl = canvas.getContext('webgl2', { antialias: false, preserveDrawingBuffer: true });
  if (!gl) return null;
  const program = gl.createProgram();
  gl.attachShader(program, compile(gl, gl.VERTEX_SHADER, faceVertexShader));
  gl.attachShader(program, compile(gl, gl.FRAGMENT_SHADER, faceFragmentShader));
  gl.linkProgram(program);
  if (!gl.getProgramParameter(program, gl.LINK_STATUS)) return null;
  const viewUniform = gl.getUniformLocation(program, 'u_view');
  const buffer = gl.createBuffer();
  const indexBuffer = gl.createBuffer();
  const vao = gl.createVertexArray();
  gl.bindVertexArray(vao);
  gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
  // Whole numbers as integer attributes: formats every driver reads as they are.
  const attribute = (name, size, type, offset) => {
    const location = gl.getAttribLocation(program, name);
    gl.enableVertexAttribArray(location);
    if (name === 'a_color') gl.vertexAttribPointer(location, size, type, true, faceRecordBytes, offset);
    else gl.vertexAttribIPointer(location, size, type, faceRecordBytes, offset);
  };
  attribute('a_column', 2, gl.UNSIGNED_SHORT, 0);
  attribute('a_face', 2, gl.UNSIGNED_BYTE, 4);
  attribute('a_color', 4, gl.UNSIGNED_BYTE, 8);

  const camera = { yaw: 0.8, pitch: 0.75, distance: 700 };
  let count = 0;
  let pending = false;

  function draw() {
    pending = false;
    // A hidden view is drawn when it is shown.
    if (canvas.hidden || canvas.clientWidth === 0) return;
    const width = canvas.clientWidth * devicePixelRatio;
    const height = canvas.clientHeight * devicePixelRatio;
    if ((canvas.width !== Math.round(width) || canvas.height !== Math.round(height))) {
      canvas.width = Math.round(width);
      canvas.height = Math.round(height);
    }
    gl.viewport(0, 0, canvas.width, canvas.height);
    const background = getComputedStyle(document.documentElement).getPropertyValue('--bg').trim();
    const dark = document.documentElement.dataset.theme === 'dark' || background === '#151614';
    gl.clearColor(dark ? 0.08 : 0.86, dark ? 0.09 : 0.9, dark ? 0.1 : 0.94, 1);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    if (count === 0) return;
    gl.enable(gl.DEPTH_TEST);
    gl.useProgram(program);
    const eye = [
      mapCentre[0] + camera.distance * Math.cos(camera.pitch) * Math.sin(camera.yaw),
      mapCentre[1] + camera.distance * Math.sin(camera.pitch),
      mapCentre[2] + camera.distance * Math.cos(camera.pitch) * Math.cos(camera.yaw)];
    const aspect = canvas.width / Math.max(1, canvas.height);
    const view = multiply(perspective(0.9, aspect, 2, 4000), lookAt(eye, mapCentre));
    gl.uniformMatrix4fv(viewUniform, false, view);
    gl.bindVertexArray(vao);
    gl.drawElements(gl.TRIANGLES, 6 * count, gl.UNSIGNED_INT, 0);
  }

  function redraw() {
    if (!pending) { pending = true; requestAnimationFrame(draw); }
  }

  // Drag orbits, the wheel or a pinch zooms.
  trackPointers(canvas, (event) => [event.clientX, event.clientY], {
    drag(dx, dy) {
      camera.yaw -= dx * 0.008;
      camera.pitch = Math.min(1.55, Math.max(0.05, camera.pitch + dy * 0.008));
      redraw();
    },
    pinch: (ratio) => zoom(1 / ratio),
  });
  function zoom(factor) {
    camera.distance = Math.min(2500, Math.max(20, camera.distance * factor));
    redraw();
  }
  canvas.addEventListener('wheel', (event) => {
    event.preventDefault();
    zoom(Math.exp(event.deltaY * 0.001));
  }, { passive: false });

  return {
    // Shows `faceCount` face records from `records` (a Uint8Array).
    setFaces(records, faceCount) {
      // Four vertices a face, each with its face's record, and two triangles
      // of them: software renderers (SwiftShader) draw instances one at a
      // time, so the faces are not instanced.
      const words = new Uint32Array(records.buffer, records.byteOffset, faceCount * 3);
      const vertices = new Uint32Array(faceCount * 12);
      const corners = new Uint32Array(faceCount * 6);
      for (let face = 0, out = 0; face < faceCount; ++face) {
        const a = words[face * 3], b = words[face * 3 + 1], c = words[face * 3 + 2];
        for (let corner = 0; corner < 4; ++corner, out += 3) {
          vertices[out] = a; vertices[out + 1] = b; vertices[out + 2] = c;
        }
        const first = face * 4;
        corners.set([first, first + 1, first + 2, first, first + 2, first + 3], face * 6);
      }
      gl.bindVertexArray(vao);
      gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
      gl.bufferData(gl.ARRAY_BUFFER, vertices, gl.STATIC_DRAW);
      gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, indexBuffer);
      gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, corners, gl.STATIC_DRAW);
      count = faceCount;
      redraw();
    },
    redraw,
    // Draws now rather than at the next frame; for measuring.
    drawNow() { draw(); gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4)); },
  };
}
