// Drag and pinch on a canvas, for both the flat views and the 3D view. `at`
// gives a pointer's position in the view's own units; one pointer moving calls
// `drag(dx, dy)`, two call `pinch(ratio, x, y)` with the ratio of their new
// distance to the last (above 1: apart) and their midpoint.
'use strict';

function trackPointers(canvas, at, { drag, pinch }) {
  const pointers = new Map();
  let distance = 0;
  canvas.addEventListener('pointerdown', (event) => {
    canvas.setPointerCapture(event.pointerId);
    pointers.set(event.pointerId, at(event));
  });
  const release = (event) => { pointers.delete(event.pointerId); distance = 0; };
  canvas.addEventListener('pointerup', release);
  canvas.addEventListener('pointercancel', release);
  canvas.addEventListener('pointermove', (event) => {
    const last = pointers.get(event.pointerId);
    if (!last) return;
    const now = at(event);
    pointers.set(event.pointerId, now);
    if (pointers.size === 1) {
      drag(now[0] - last[0], now[1] - last[1]);
    } else if (pointers.size === 2) {
      const [a, b] = [...pointers.values()];
      const apart = Math.hypot(a[0] - b[0], a[1] - b[1]);
      if (distance > 0) pinch(apart / distance, (a[0] + b[0]) / 2, (a[1] + b[1]) / 2);
      distance = apart;
    }
  });
}
