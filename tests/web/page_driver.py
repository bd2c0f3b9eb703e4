#!/usr/bin/env python3
"""Plays a web page of qRun in headless Chromium, step by step.

page_driver.py SITE OUT STEPS
Serves SITE on a local port, opens it in Chromium (DevTools protocol over a
pipe, no other software) and runs the steps of the file STEPS, one a line:
  open                  load the page (the first step)
  until EXPR [MS]       wait until the page expression is true (default 20 s)
  key NAME              press and release a key (space, enter, escape, f12, z)
  tap X Y               press and release the mouse at picture pixel X, Y
  canvas NAME           save the canvas as OUT/NAME.rgba ("W H\\n" and RGBA)
  eval NAME EXPR        save the expression's value as OUT/NAME.json
  text NAME EXPR        save the expression's string as OUT/NAME.txt
  viewport W H          resize the page's window
  sleep MS
The console of the page goes to OUT/console.txt. Exit status 0 when every
step ran; otherwise 1 and the reason on standard error.
"""
import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import threading
import time

KEYS = {
    'space': (32, ' ', 'Space'), 'enter': (13, 'Enter', 'Enter'), 'escape': (27, 'Escape', 'Escape'),
    'f12': (123, 'F12', 'F12'), 'z': (90, 'z', 'KeyZ'),
}


class Browser:
    def __init__(self, width, height):
        exe = shutil.which('chromium') or shutil.which('chromium-browser')
        if not exe:
            raise SystemExit('page_driver: chromium not found')
        self.to_r, self.to_w = os.pipe()
        self.from_r, self.from_w = os.pipe()
        self.profile = os.path.join(os.environ.get('TMPDIR', '/tmp'), 'qt-chromium-%d' % os.getpid())
        args = [exe, '--headless=new', '--no-sandbox', '--remote-debugging-pipe', '--no-first-run',
                '--disable-gpu', '--disable-extensions', '--disable-background-networking',
                # As a browser of a player: no sound before the first input.
                '--autoplay-policy=document-user-activation-required',
                '--user-data-dir=' + self.profile, '--window-size=%d,%d' % (width, height), 'about:blank']
        self.proc = subprocess.Popen(args, pass_fds=(3, 4, self.to_r, self.from_w), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     preexec_fn=self._fds)
        os.close(self.to_r)
        os.close(self.from_w)
        self.buffer = b''
        self.next_id = 0
        self.events = []
        self.session = None

    def _fds(self):
        # Chromium reads commands on descriptor 3 and answers on 4.
        os.dup2(self.to_r, 3)
        os.dup2(self.from_w, 4)

    def call(self, method, params=None, session=True):
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params or {}}
        if session and self.session:
            message['sessionId'] = self.session
        os.write(self.to_w, json.dumps(message).encode() + b'\0')
        while True:
            reply = self._read()
            if reply.get('id') == self.next_id:
                if 'error' in reply:
                    raise RuntimeError('%s: %s' % (method, reply['error']))
                return reply.get('result', {})
            self.events.append(reply)

    def _read(self):
        while b'\0' not in self.buffer:
            chunk = os.read(self.from_r, 1 << 20)
            if not chunk:
                raise RuntimeError('chromium went away')
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b'\0', 1)
        return json.loads(line)

    def attach(self):
        target = self.call('Target.createTarget', {'url': 'about:blank'}, session=False)['targetId']
        self.session = self.call('Target.attachToTarget', {'targetId': target, 'flatten': True},
                                 session=False)['sessionId']
        for domain in ('Page.enable', 'Runtime.enable'):
            self.call(domain)
        # As if the window had the focus, as a player's would.
        self.call('Emulation.setFocusEmulationEnabled', {'enabled': True})

    def evaluate(self, expr):
        result = self.call('Runtime.evaluate', {'expression': expr, 'returnByValue': True, 'awaitPromise': True})
        if 'exceptionDetails' in result:
            raise RuntimeError('%s: %s' % (expr, result['exceptionDetails'].get('text')))
        return result['result'].get('value')

    def console(self):
        lines = []
        for e in self.events:
            if e.get('method') == 'Runtime.consoleAPICalled':
                args = e['params']['args']
                lines.append(' '.join(str(a.get('value', a.get('description', ''))) for a in args))
            elif e.get('method') == 'Runtime.exceptionThrown':
                d = e['params']['exceptionDetails']
                lines.append('exception: %s' % d.get('exception', {}).get('description', d.get('text')))
        return lines

    def close(self):
        try:
            self.call('Browser.close', session=False)
        except Exception:
            pass
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        shutil.rmtree(self.profile, ignore_errors=True)


def serve(site):
    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(Quiet, directory=site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    site, out, steps = sys.argv[1:4]
    server = serve(site)
    url = 'http://127.0.0.1:%d/index.html' % server.server_address[1]
    browser = Browser(int(os.environ.get('QT_PAGE_WIDTH', 640)), int(os.environ.get('QT_PAGE_HEIGHT', 480)))
    status = 0
    try:
        browser.attach()
        for n, line in enumerate(open(steps, encoding='utf-8').read().splitlines(), 1):
            words = line.split(' ')
            op = words[0]
            if not op or op.startswith('#'):
                continue
            if op == 'open':
                browser.call('Page.navigate', {'url': url})
            elif op == 'until':
                ms = int(words[-1]) if len(words) > 2 and words[-1].isdigit() else 20000
                expr = ' '.join(words[1:-1] if len(words) > 2 and words[-1].isdigit() else words[1:])
                end = time.monotonic() + ms / 1000
                while not browser.evaluate('(function(){try{return !!(%s)}catch(e){return false}})()' % expr):
                    if time.monotonic() > end:
                        raise RuntimeError('step %d: still not %s' % (n, expr))
                    time.sleep(0.02)
            elif op == 'key':
                code, key, name = KEYS[words[1]]
                for kind in ('rawKeyDown', 'keyUp'):
                    params = {'type': kind, 'windowsVirtualKeyCode': code, 'key': key, 'code': name}
                    browser.call('Input.dispatchKeyEvent', params)
            elif op == 'tap':
                x, y = browser.evaluate(
                    '(function(){const c=document.getElementById("canvas"),r=c.getBoundingClientRect();'
                    'return [r.left+(%s+0.5)*r.width/c.width, r.top+(%s+0.5)*r.height/c.height]})()'
                    % (words[1], words[2]))
                for kind in ('mousePressed', 'mouseReleased'):
                    browser.call('Input.dispatchMouseEvent',
                                 {'type': kind, 'x': x, 'y': y, 'button': 'left', 'clickCount': 1})
            elif op == 'canvas':
                w, h, data = browser.evaluate(
                    '(function(){const c=document.getElementById("canvas");'
                    'const d=c.getContext("2d").getImageData(0,0,c.width,c.height).data;let s="";'
                    'for(let i=0;i<d.length;i+=32768)s+=String.fromCharCode.apply(null,d.subarray(i,i+32768));'
                    'return [c.width,c.height,btoa(s)]})()')
                with open(os.path.join(out, words[1] + '.rgba'), 'wb') as f:
                    f.write(b'%d %d\n' % (w, h) + base64.b64decode(data))
            elif op == 'eval':
                value = browser.evaluate(' '.join(words[2:]))
                with open(os.path.join(out, words[1] + '.json'), 'w', encoding='utf-8') as f:
                    json.dump(value, f, ensure_ascii=False, separators=(',', ':'))
            elif op == 'text':
                with open(os.path.join(out, words[1] + '.txt'), 'w', encoding='utf-8') as f:
                    f.write(str(browser.evaluate(' '.join(words[2:]))))
            elif op == 'viewport':
                browser.call('Emulation.setDeviceMetricsOverride', {
                    'width': int(words[1]), 'height': int(words[2]), 'deviceScaleFactor': 1, 'mobile': False})
            elif op == 'sleep':
                time.sleep(int(words[1]) / 1000)
            else:
                raise RuntimeError('step %d: unknown step %s' % (n, op))
    except Exception as e:  # the reason goes to the test
        print('page_driver: %s' % e, file=sys.stderr)
        status = 1
    with open(os.path.join(out, 'console.txt'), 'w', encoding='utf-8') as f:
        f.write(''.join(line + '\n' for line in browser.console()))
    browser.close()
    server.shutdown()
    return status


if __name__ == '__main__':
    sys.exit(main())
