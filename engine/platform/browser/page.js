// The page's side of the browser backend: the canvas as the window, scaled
// to fit the page (dark grey beyond, as on the desktop), the input queue the
// engine polls, message boxes over the picture, and the end of the game.
Module.qtPage = (function () {
  'use strict';
  const grey = '#404040';
  const queue = [];
  let wake = null;
  let canvas = null;
  let boxOpen = null;  // the open message box: its key and click handlers
  let focused = false;
  let press = null;    // where the pointer went down, for a tap
  let over = false;    // the game has ended: keys are the page's again

  // Key codes of the browser are the Windows virtual-key numbers the engine
  // uses; only the keys the desktop passes on.
  const otherKeys = new Set([8, 9, 13, 16, 17, 18, 19, 27, 32, 33, 34, 35, 36, 37, 38, 39, 40, 45, 46]);
  function virtualKey(e) {
    const k = e.keyCode;
    if ((k >= 65 && k <= 90) || (k >= 48 && k <= 57) || (k >= 112 && k <= 123) || (k >= 96 && k <= 111)) return k;
    return otherKeys.has(k) ? k : 0;
  }

  function push(event) {
    queue.push(event);
    if (wake) {
      const w = wake;
      wake = null;
      w();
    }
  }

  function page(id) { return document.getElementById(id); }

  function status(text) {
    const s = page('qt-status');
    if (s) s.textContent = text;
  }

  // The picture as large as the page allows, keeping its shape.
  function fit(element, width, height) {
    const scale = Math.min(window.innerWidth / width, window.innerHeight / height);
    element.style.width = Math.floor(width * scale) + 'px';
    element.style.height = Math.floor(height * scale) + 'px';
    // Enlarged: sharp pixels; reduced: smoothed.
    element.style.imageRendering = scale >= 1 ? 'pixelated' : 'auto';
    return scale;
  }

  function refit() {
    if (canvas && canvas.width) {
      const scale = fit(canvas, canvas.width, canvas.height);
      const box = page('qt-box-picture');
      if (box && box.width) {
        box.style.width = Math.floor(box.width * scale) + 'px';
        box.style.height = Math.floor(box.height * scale) + 'px';
        box.style.imageRendering = canvas.style.imageRendering;
      }
    }
  }

  function setFocus(has) {
    if (has === focused) return;
    focused = has;
    push([4, has ? 1 : 0]);
  }

  // Picture pixels of a pointer event on `element`.
  function pointAt(element, e) {
    const r = element.getBoundingClientRect();
    return [Math.floor((e.clientX - r.left) * element.width / r.width),
            Math.floor((e.clientY - r.top) * element.height / r.height)];
  }

  function onKey(e) {
    const vk = virtualKey(e);
    if (!vk || over) return;
    if (!e.ctrlKey && !e.metaKey && !e.altKey) e.preventDefault();
    if (boxOpen) {
      boxOpen.key(e.type === 'keydown', vk, e.repeat);
      return;
    }
    push([e.type === 'keydown' ? 1 : 2, vk]);
  }

  // Browsers let a page sound after an input that counts as the player's
  // own; SDL listens only to the first of each kind, which may not count
  // (a Shift, a touch that starts a scroll). Every later one tries again.
  function unlockAudio() {
    const audio = Module.SDL2 && Module.SDL2.audioContext;
    if (audio && audio.state === 'suspended') audio.resume();
  }

  function install() {
    canvas = page('canvas');
    for (const kind of ['keydown', 'keyup', 'pointerup', 'touchend', 'click'])
      window.addEventListener(kind, unlockAudio, true);
    window.addEventListener('keydown', onKey);
    window.addEventListener('keyup', onKey);
    window.addEventListener('focus', () => setFocus(true));
    window.addEventListener('blur', () => setFocus(false));
    document.addEventListener('visibilitychange', () => setFocus(!document.hidden && document.hasFocus()));
    window.addEventListener('resize', refit);
    canvas.addEventListener('pointerdown', (e) => {
      if (e.button !== 0) return;
      const [x, y] = pointAt(canvas, e);
      press = {id: e.pointerId, x: e.clientX, y: e.clientY};
      push([3, x, y, e.shiftKey ? 1 : 0]);
    });
    // A press and release in the same place is a tap: Space, for phones.
    canvas.addEventListener('pointerup', (e) => {
      const p = press;
      press = null;
      if (!p || p.id !== e.pointerId || Math.hypot(e.clientX - p.x, e.clientY - p.y) > 8) return;
      push([1, 32]);
      push([2, 32]);
    });
    canvas.addEventListener('pointercancel', () => { press = null; });
    const full = page('qt-fullscreen');
    if (full) {
      full.addEventListener('click', () => {
        if (document.fullscreenElement) document.exitFullscreen();
        else document.documentElement.requestFullscreen().catch(() => {});
        canvas.focus();
      });
    }
  }

  return {
    openWindow(title, width, height) {
      if (!canvas) install();
      Module.qtWindows = (Module.qtWindows || 0) + 1;
      document.title = title;
      canvas.width = width;
      canvas.height = height;
      const ctx = canvas.getContext('2d');
      ctx.fillStyle = grey;
      ctx.fillRect(0, 0, width, height);
      page('qt-ended').hidden = true;
      canvas.hidden = false;
      refit();
      status('');
      focused = false;
      setFocus(document.hasFocus() && !document.hidden);
    },
    closeWindow() {
      focused = false;
      queue.length = 0;
    },
    present(rgba, x, y, width, height) {
      const image = new ImageData(new Uint8ClampedArray(rgba), width, height);
      canvas.getContext('2d').putImageData(image, x, y);
      Module.qtPresented = (Module.qtPresented || 0) + 1;
    },
    nextInput() { return queue.shift(); },
    sleep(ms) {
      // Timers under 4 ms are stretched by the browser: a message yields
      // without that, and the loop yields until the time is up.
      return new Promise((resolve) => {
        const end = performance.now() + ms;
        if (ms >= 10) {
          setTimeout(resolve, ms);
          return;
        }
        const channel = new MessageChannel();
        channel.port1.onmessage = () => {
          if (performance.now() >= end) resolve();
          else channel.port2.postMessage(0);
        };
        channel.port2.postMessage(0);
      });
    },
    waitInput(ms) {
      if (queue.length) return Promise.resolve();
      return new Promise((resolve) => {
        const timer = setTimeout(() => { wake = null; resolve(); }, ms);
        wake = () => { clearTimeout(timer); resolve(); };
      });
    },
    // The box the engine drew, over the picture, until Enter, Space or Esc
    // is released or its OK button is clicked.
    showBox(caption, text, rgba, width, height, ok) {
      if (!canvas) install();
      const dialog = page('qt-box');
      const picture = page('qt-box-picture');
      page('qt-box-caption').textContent = caption;
      dialog.setAttribute('aria-label', caption + ': ' + text);
      picture.width = width;
      picture.height = height;
      picture.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(rgba.buffer), width, height), 0, 0);
      dialog.hidden = false;
      refit();
      return new Promise((resolve) => {
        let pressed = 0, onOk = false;
        const inOk = (e) => {
          const [x, y] = pointAt(picture, e);
          return x >= ok[0] && x < ok[0] + ok[2] && y >= ok[1] && y < ok[1] + ok[3];
        };
        const close = () => {
          picture.onpointerdown = picture.onpointerup = null;
          boxOpen = null;
          dialog.hidden = true;
          resolve();
        };
        picture.onpointerdown = (e) => { onOk = e.button === 0 && inOk(e); };
        picture.onpointerup = (e) => {
          if (onOk && inOk(e)) close();
          onOk = false;
        };
        boxOpen = {
          key(down, vk, repeat) {
            const closing = vk === 13 || vk === 32 || vk === 27;
            if (down && closing && !repeat) pressed = vk;
            if (!down && closing && vk === pressed) close();
          },
        };
      });
    },
    // The game is over: the page says so and waits for another go.
    ended() {
      return new Promise((resolve) => {
        const ended = page('qt-ended');
        const again = page('qt-again');
        ended.hidden = false;
        over = true;
        Module.qtEnded = (Module.qtEnded || 0) + 1;
        again.onclick = () => {
          again.onclick = null;
          ended.hidden = true;
          over = false;
          resolve();
        };
        again.focus();
      });
    },
    status,
  };
})();
