"""Another local user's attempt on the browsers Quorlen follows: every listening loopback
port found in /proc/net/tcp is asked as a DevTools endpoint and as a WebDriver BiDi server,
and every socket given is asked as the launcher's. Prints what each answered and exits 1
when any of them would take a command.
    intruder.py [launcher socket...]"""
import base64, json, os, socket, struct, sys


def listening_ports():
    tables = [list(open(table))[1:] for table in ("/proc/net/tcp", "/proc/net/tcp6")]
    rows = [row.split() for table in tables for row in table]
    return sorted({int(row[1].rsplit(":", 1)[1], 16) for row in rows if row[3] == "0A"})  # LISTEN


def http(port, request):
    with socket.create_connection(("127.0.0.1", port), timeout=3) as connection:
        connection.sendall(request.encode())
        answer = b""
        while b"\r\n\r\n" not in answer:
            chunk = connection.recv(4096)
            if not chunk:
                break
            answer += chunk
        return answer, connection.recv(65536) if answer.startswith(b"HTTP/1.1 101") else b""


def bidi_session(port):
    """Whether the port grants a BiDi session to whoever asks (a first one takes seconds)."""
    with socket.create_connection(("127.0.0.1", port), timeout=20) as connection:
        key = base64.b64encode(os.urandom(16)).decode()
        connection.sendall(("GET /session HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nUpgrade: websocket\r\n"
                            "Connection: Upgrade\r\nSec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n\r\n"
                            % (port, key)).encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = connection.recv(1)
            if not chunk:
                return "closed"
            head += chunk
        if not head.startswith(b"HTTP/1.1 101"):
            return "no websocket"
        text = json.dumps({"id": 1, "method": "session.new", "params": {"capabilities": {}}}).encode()
        mask = os.urandom(4)
        length = struct.pack("!B", 0x80 | len(text)) if len(text) < 126 else struct.pack("!BH", 0xFE, len(text))
        connection.sendall(b"\x81" + length + mask +
                           bytes(b ^ mask[i % 4] for i, b in enumerate(text)))
        def exactly(count):
            data = b""
            while len(data) < count:
                chunk = connection.recv(count - len(data))
                if not chunk:
                    raise ConnectionError("closed")
                data += chunk
            return data
        frame = exactly(2)
        size = frame[1] & 0x7F
        if size == 126:
            size = struct.unpack("!H", exactly(2))[0]
        elif size == 127:
            size = struct.unpack("!Q", exactly(8))[0]
        answer = exactly(size)
        if frame[0] & 0x0F == 8:
            return "closed by the browser"
        answer = json.loads(answer)
        return "granted" if answer.get("type") == "success" else "refused: " + answer.get("message", "")


def launcher(path):
    try:
        with socket.socket(socket.AF_UNIX) as connection:
            connection.settimeout(3)
            connection.connect(path)
            connection.sendall(b'{"id":1,"method":"Browser.getVersion","params":{}}\0')
            return connection.recv(4096) and "answered" or "closed"
    except OSError as error:
        return "refused: " + error.strerror


reached = False
for port in listening_ports():
    try:
        devtools = b"webSocketDebuggerUrl" in b"".join(http(port, "GET /json/version HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"))
        session = bidi_session(port)
    except OSError as error:
        devtools, session = False, "error " + str(error)
    print("port %d: DevTools %s, BiDi session %s" % (port, devtools and "answered" or "none", session))
    reached |= devtools or session == "granted"
for path in sys.argv[1:]:
    answer = launcher(path)
    print("%s: %s" % (path, answer))
    reached |= answer == "answered"
sys.exit(1 if reached else 0)
