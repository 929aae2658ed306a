'use strict';
// Calls `fn` once `wait` ms after the last of a burst of calls, with the last
// call's arguments; `flush` runs a pending call at once, `cancel` drops it.
// A browser's timers must be called on the global object, never as methods
// of another: hence the arrows.
const globalTimers = { setTimeout: (f, ms) => setTimeout(f, ms), clearTimeout: (t) => clearTimeout(t) };

function debounce(fn, wait, timers = globalTimers) {
  let timer = null;
  let lastArgs = null;
  const run = () => {
    timer = null;
    const args = lastArgs;
    lastArgs = null;
    fn(...args);
  };
  const debounced = (...args) => {
    lastArgs = args;
    if (timer !== null) timers.clearTimeout(timer);
    timer = timers.setTimeout(run, wait);
  };
  debounced.flush = () => {
    if (timer === null) return;
    timers.clearTimeout(timer);
    run();
  };
  debounced.cancel = () => {
    if (timer !== null) timers.clearTimeout(timer);
    timer = null;
    lastArgs = null;
  };
  return debounced;
}

module.exports = { debounce };
