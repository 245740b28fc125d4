"""A small CalDAV server on 127.0.0.1 that answers like a real one, then misbehaves as the file
FOLDER/mode says (read at every request). Every request is logged to FOLDER/requests.log; any
connection to the trap ports, which the misbehaving answers name, to FOLDER/trap.log."""
import http.server, json, os, re, socket, sys, threading, time

folder = sys.argv[1]
items = {}  # name -> [version, calendar], calendar None once deleted
version = [1]
lock = threading.Lock()


def trap(host):
    sock = socket.create_server((host, 0))
    def accept():
        while True:
            sock.accept()[0].close()
            with open(os.path.join(folder, 'trap.log'), 'a') as log:
                log.write(host + '\n')
    threading.Thread(target=accept, daemon=True).start()
    return sock.getsockname()[1]


def response(href, etag=None, status=None, data=None):
    if status:
        return f'<d:response><d:href>{href}</d:href><d:status>HTTP/1.1 {status}</d:status></d:response>'
    prop = f'<d:getetag>{etag}</d:getetag>' + (f'<c:calendar-data>{data}</c:calendar-data>' if data else '')
    return (f'<d:response><d:href>{href}</d:href><d:propstat><d:prop>{prop}</d:prop>'
            '<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>')


def multistatus(body, token=None):
    token = f'<d:sync-token>{token}</d:sync-token>' if token is not None else ''
    return ('<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">' + body + token +
            '</d:multistatus>').encode()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'

    def log_message(self, *args):
        pass

    def answer(self, status, body=b'', headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def handle_one_request(self):
        try:
            super().handle_one_request()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def __getattr__(self, name):
        if not name.startswith('do_'):
            raise AttributeError(name)
        return self.serve

    def serve(self):
        body = self.rfile.read(int(self.headers.get('Content-Length', 0)))
        with open(os.path.join(folder, 'requests.log'), 'a') as log:
            log.write(json.dumps([self.command, self.path, str(self.headers)]) + '\n')
        mode = open(os.path.join(folder, 'mode')).read().strip()
        with lock:
            self.route(mode, body.decode(errors='replace'))

    def route(self, mode, body):
        name = self.path.rsplit('/', 1)[-1]
        if self.command == 'PROPFIND' and not self.path.startswith('/l/'):
            return self.discover(mode)
        if self.command in ('PUT', 'DELETE'):
            return self.write(name, body)
        if 'calendar-multiget' in body:
            return self.fetch(mode, re.findall(r'<d:href>/l/([^<]*)</d:href>', body))
        if mode.startswith('busy'):
            return self.answer(503, headers=[('Retry-After', mode.split(':')[1])])
        if mode == 'redirect':
            return self.answer(301, headers=[('Location', f'http://127.0.0.2:{traps[1]}/l/')])
        if mode in ('drip', 'cut', 'hang'):
            self.send_response(207)
            self.send_header('Content-Length', '100000')
            self.end_headers()
            for _ in range(0 if mode == 'hang' else 1 if mode == 'cut' else 10 ** 6):
                self.wfile.write(b' ')
                self.wfile.flush()
                time.sleep(0.1)
            time.sleep(0 if mode == 'cut' else 600)
            self.close_connection = True
            return
        self.changes(mode, re.search(r'<d:sync-token>t?(\d*)</d:sync-token>', body).group(1))

    def discover(self, mode):
        elsewhere = f'http://127.0.0.2:{traps[1]}'
        props = {'/p/': '<c:calendar-home-set><d:href>%s/h/</d:href></c:calendar-home-set>' %
                 (elsewhere if mode == 'home-elsewhere' else ''),
                 '/h/': ''}.get(self.path, '<d:current-user-principal><d:href>/p/</d:href></d:current-user-principal>')
        listed = ''
        if self.path == '/h/':
            listed = ('<d:response><d:href>%s/l/</d:href><d:propstat><d:prop><d:resourcetype><d:collection/>'
                      '<c:calendar/></d:resourcetype><d:supported-report-set><d:supported-report><d:report>'
                      '<d:sync-collection/></d:report></d:supported-report></d:supported-report-set></d:prop>'
                      '<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>' %
                      (elsewhere if mode == 'list-elsewhere' else ''))
        self.answer(207, multistatus(f'<d:response><d:href>{self.path}</d:href><d:propstat><d:prop>{props}'
                                     '</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>' +
                                     listed))

    def write(self, name, body):
        known = items.get(name)
        exists = known is not None and known[1] is not None
        expected = f'"{known[0]}"' if exists else None
        if ('If-None-Match' in self.headers and exists) or self.headers.get('If-Match', expected) != expected:
            return self.answer(412)
        version[0] += 1
        items[name] = [version[0], body if self.command == 'PUT' else None]
        self.answer(201 if self.command == 'PUT' else 204, headers=[('ETag', f'"{version[0]}"')])

    def fetch(self, mode, names):
        found = ''
        for name in names:
            if items.get(name, [0, None])[1] is None:
                found += response('/l/' + name, status='404 Not Found')
            else:
                data = items[name][1].replace('&', '&amp;').replace('<', '&lt;')
                if mode == 'huge-item' and name == names[-1]:
                    data = data.replace('SUMMARY:', 'SUMMARY:' + 'x' * (2 << 20), 1)
                found += response('/l/' + name, f'"{items[name][0]}"', data=data)
        self.answer(207, multistatus(found))

    def changes(self, mode, since):
        since = int(since or 0)
        # remove-all: every item gone but the one added last, whatever the token asked from
        everything = mode == 'remove-all'
        last = max(items, key=lambda name: items[name][0]) if items else None
        listed = ''.join(response('/l/' + name, f'"{v}"') if data is not None and not (everything and name != last)
                         else response('/l/' + name, status='404 Not Found')
                         for name, (v, data) in items.items() if v > since or everything)
        token = f't{version[0]}'
        elsewhere = [f'http://127.0.0.2:{traps[1]}/l/a.ics', f'//127.0.0.2:{traps[1]}/l/b.ics',
                     f'http://127.0.0.1:{traps[0]}/l/c.ics', f'https://127.0.0.1:{port}/l/d.ics',
                     'file:///l/e.ics', '/l/../elsewhere/f.ics', '/elsewhere/g.ics']
        if mode == 'hrefs-elsewhere':
            listed += ''.join(response(href, '"1"') for href in elsewhere)
        elif mode == 'etag-injection':
            listed += response('/l/new.ics', '"x"&#13;&#10;X-Injected: yes')
        elif mode == 'token-injection':
            token += '&#13;&#10;X-Injected: yes'
        elif mode.endswith('507'):
            token = f't{since}' if mode == 'same-507' else f't{since + 1}'
            listed += response('/l/', status='507 Insufficient Storage')
        self.answer(207, multistatus(listed, token))


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
server.daemon_threads = True
port = server.server_address[1]
traps = [trap('127.0.0.1'), trap('127.0.0.2')]
with open(os.path.join(folder, 'port.tmp'), 'w') as out:
    out.write(str(port))
os.rename(os.path.join(folder, 'port.tmp'), os.path.join(folder, 'port'))
server.serve_forever()
