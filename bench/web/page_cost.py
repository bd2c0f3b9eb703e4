#!/usr/bin/env python3
"""What a web page of qRun costs: transfer size, load time, idle CPU.

bench/web/page_cost.py [SITE]   (default build/demo-web, made by scripts/web)
- transfer size: every file gzip-compressed (-9), and the engine alone;
- load time: from the start of the navigation to the first picture and to the
  first key wait, headless Chromium, local server, cache off; median of 5;
- idle: CPU time of all of Chromium's processes over 10 s at a key wait, as a
  share of one core (the prompt flashing meanwhile).
"""
import gzip
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tests', 'web'))
import page_driver  # noqa: E402


def gz(path):
    with open(path, 'rb') as f:
        return len(gzip.compress(f.read(), 9))


def until(browser, expr, seconds=30):
    end = time.monotonic() + seconds
    while True:
        value = browser.evaluate('(function(){try{return (%s)}catch(e){return null}})()' % expr)
        if value:
            return value
        if time.monotonic() > end:
            raise SystemExit('page_cost: still not %s' % expr)
        time.sleep(0.005)


def cpu_seconds(root_pid):
    """CPU time of a process and all its descendants."""
    children = {}
    for pid in os.listdir('/proc'):
        if not pid.isdigit():
            continue
        try:
            with open('/proc/%s/stat' % pid) as f:
                fields = f.read().rsplit(')', 1)[1].split()
            children.setdefault(int(fields[1]), []).append((int(pid), int(fields[11]) + int(fields[12])))
        except OSError:
            continue
    total, pending = 0, [root_pid]
    with open('/proc/%d/stat' % root_pid) as f:
        fields = f.read().rsplit(')', 1)[1].split()
        total += int(fields[11]) + int(fields[12])
    while pending:
        for pid, ticks in children.get(pending.pop(), []):
            total += ticks
            pending.append(pid)
    return total / os.sysconf('SC_CLK_TCK')


def main():
    site = sys.argv[1] if len(sys.argv) > 1 else 'build/demo-web'
    files = sorted(f for f in os.listdir(site) if os.path.isfile(os.path.join(site, f)))
    sizes = {f: gz(os.path.join(site, f)) for f in files}
    total = sum(sizes.values())
    engine = sizes.get('qRun.js', 0) + sizes.get('qRun.wasm', 0)
    print('transfer (gzip -9): %.2f MiB in all; engine %.2f MiB' % (total / 2**20, engine / 2**20))
    for f in files:
        print('  %-12s %8d bytes' % (f, sizes[f]))

    server = page_driver.serve(site)
    url = 'http://127.0.0.1:%d/index.html' % server.server_address[1]
    browser = page_driver.Browser(640, 480)
    try:
        browser.attach()
        browser.call('Network.enable')
        browser.call('Network.setCacheDisabled', {'cacheDisabled': True})
        shown, waiting = [], []
        for _ in range(5):
            browser.call('Page.navigate', {'url': 'about:blank'})
            time.sleep(0.3)
            browser.call('Page.navigate', {'url': url})
            shown.append(until(browser, 'Module.qtPresented>0&&performance.now()'))
            waiting.append(until(browser, 'Module._qt_waits()>0&&performance.now()'))
        print('load to the first picture: median %.0f ms (%s)' % (statistics.median(shown),
                                                                 ', '.join('%.0f' % t for t in shown)))
        print('load to the first key wait: median %.0f ms (%s)' % (statistics.median(waiting),
                                                                  ', '.join('%.0f' % t for t in waiting)))
        time.sleep(1)
        before, start = cpu_seconds(browser.proc.pid), time.monotonic()
        time.sleep(10)
        used, spent = cpu_seconds(browser.proc.pid) - before, time.monotonic() - start
        print('idle at a key wait: %.2f %% of one core (all Chromium processes, %.1f s)' % (100 * used / spent, spent))
    finally:
        browser.close()
        server.shutdown()


if __name__ == '__main__':
    main()
