#!/usr/bin/python3
"""A small SQL Server of the tests' own: just enough TDS 7.4 for the FreeTDS ODBC driver.

One loopback port per PRELOGIN stance: "plain" (cannot encrypt), "login" (SQL Server's default:
the log-in encrypted, or everything when asked) and "forced"; the browser service (UDP) for the
instance SQLEXPRESS on "login"; two ports where nothing answers. "sa" logs in with "secret" only,
any other user with anything; every log-in is appended to "logins" beside READYFILE as a JSON line.
Each statement of "a; b" is answered: INSERT/UPDATE/DELETE with a row count, QUERIES with results;
"SELECT stall" sends the start of a result, then nothing, not even an answer to a cancel.

Usage: tds_server.py CERT KEY READYFILE -- writes "name=port" lines to READYFILE once listening.
"""

import contextlib
import decimal
import functools
import itertools
import json
import os
import socket
import ssl
import struct
import sys
import threading

ENCRYPT_OFF, ENCRYPT_ON, ENCRYPT_NOT_SUP, ENCRYPT_REQ = 0, 1, 2, 3
INSTANCE = "SQLEXPRESS"
ONCE = itertools.count()
LATIN1 = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])  # SQL_Latin1_General_CP1_CI_AS
CHINESE = bytes([0x04, 0x08, 0xD0, 0x00, 0x00])  # Chinese_PRC_CI_AS, code page 936


def b_varchar(text, size="<B"):
    data = text.encode("utf-16-le")
    return struct.pack(size, len(data) // 2) + data


def scaled(v, scale):
    return int(decimal.Decimal(v).scaleb(scale, decimal.Context(prec=60)).to_integral_value())


# A column: (name, TYPE_INFO, encode), where encode turns a value (None: the null) into bytes.
def text(name, type_code=0xE7, collation=LATIN1, codec="utf-16-le"):
    def encode(v):
        return b"\xff\xff" if v is None else struct.pack("<H", len(v.encode(codec))) + v.encode(codec)

    return name, bytes([type_code]) + struct.pack("<H", 8000) + collation, encode


def fixed(name, type_info, encode):
    return name, type_info, lambda v: b"\x00" if v is None else encode(v)


def four_texts(*names):
    return [text(n) for n in names or ("category", "content", "expression", "amount")]


MONEY = fixed("money", bytes([0x6E, 8]), lambda v: b"\x08" + struct.pack("<iI", scaled(v, 4) >> 32, scaled(v, 4) & 0xFFFFFFFF))
BIT = fixed("bit", bytes([0x68, 1]), lambda v: bytes([1, v]))

# The query text, lower case with single blanks, to (columns, rows) or an error (number, text).
QUERIES = {
    "select fill_row": ([text("category"), text("content", 0xA7, CHINESE, "gbk"), text("expression"), MONEY, BIT],
                        [("住宿", "北京饭店 标准间", "380×2×3", "120.50", True)]),
    "select bit_row": (four_texts("a", "b") + [BIT, BIT], [("x", "y", True, False)]),
    "select narrow_none": (four_texts("a", "b", "c"), []),
    "select narrow_one": (four_texts("a", "b", "c"), [("a", "b", "c")]),
    "select null_row": (four_texts(), [("交通", None, "1", "2")]),
    "select stall": (four_texts(), [("a", "b", "c", "d")] * 100),
    # A full sheet, for the fill's benchmark (bench/db).
    "select rows 32766": (four_texts(), [("房", "北京饭店 标准间（含早）", "单价: 580.00 × 15间 × 5晚", "43500.50")]
                          * 32766),
    "select missing": (208, "对象名 'missing' 无效。"),
}


def token(kind, body):
    return struct.pack("<BH", kind, len(body)) + body


def done(status=0x0000, rowcount=0):
    return struct.pack("<BHHQ", 0xFD, status, 0xC1, rowcount)


def error_token(number, message, severity=16):
    body = struct.pack("<iBB", number, 1, severity) + b_varchar(message, "<H") + b_varchar("QVTEST") + b_varchar("")
    return token(0xAA, body + struct.pack("<i", 1)) + done(0x0002)


@functools.lru_cache(maxsize=8)
def result_set(columns, rows):
    out = [struct.pack("<BH", 0x81, len(columns))] + [struct.pack("<IH", 0, 1) + t + b_varchar(n) for n, t, _ in columns]
    for row in rows:
        out += [b"\xd1"] + [encode(v) for (_, _, encode), v in zip(columns, row)]
    return b"".join(out) + done(0x0010, len(rows))


def statement(key, login):
    """The reply to one statement, ending in its DONE token."""
    verb = key.split(" ")[0]
    if verb in ("insert", "update", "delete"):
        return done(0x0010, 1)
    if verb in ("set", "use"):
        return done()
    if key == "select login_facts":
        return result_set(tuple(four_texts()), ((login["user"], login["password"], login["database"], login["language"]),))
    entry = QUERIES.get(key)
    if entry is None:
        return error_token(102, "'%s' 附近有语法错误。" % key[:40])
    if isinstance(entry[0], int):
        return error_token(*entry)
    return result_set(tuple(entry[0]), tuple(tuple(r) for r in entry[1]))


class Connection:
    def __init__(self, sock, stance, context, logins):
        self.sock, self.stance, self.context, self.logins = sock, stance, context, logins
        self.buffer, self.tls = b"", None  # tls: (SSLObject, incoming, outgoing) while it is on

    def recv_bytes(self, n):
        while len(self.buffer) < n:
            try:
                data = self.tls[0].read(65536) if self.tls else self.sock.recv(65536)
            except ssl.SSLWantReadError:  # TLS wants more of what the socket holds
                data = self.sock.recv(65536)
                if data:
                    self.tls[1].write(data)
                    continue
            if not data:
                raise EOFError
            self.buffer += data
        out, self.buffer = self.buffer[:n], self.buffer[n:]
        return out

    def send_bytes(self, data):
        if self.tls:
            self.tls[0].write(data)
            data = self.tls[2].read()
        self.sock.sendall(data)

    def read_message(self):
        payload = b""
        while True:
            kind, status, length = struct.unpack(">BBH", self.recv_bytes(8)[:4])
            payload += self.recv_bytes(length - 8)
            if status & 0x01:
                return kind, payload

    def send_message(self, kind, payload, last=True):
        pieces = [payload[i : i + 4088] for i in range(0, len(payload), 4088)] or [b""]
        self.send_bytes(b"".join(struct.pack(">BBHHBB", kind, 1 if last and i == len(pieces) - 1 else 0, len(p) + 8, 0, (i + 1) & 0xFF, 0) + p
                                 for i, p in enumerate(pieces)))

    def handshake(self):
        """TLS handshake carried inside PRELOGIN packets, as SQL Server does it."""
        incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
        obj = self.context.wrap_bio(incoming, outgoing, server_side=True)
        while True:
            try:
                obj.do_handshake()
                finished = True
            except ssl.SSLWantReadError:
                finished = False
            if outgoing.pending:
                self.send_message(0x12, outgoing.read())
            if finished:
                break
            incoming.write(self.read_message()[1])
        incoming.write(self.buffer)  # what the client sent past the handshake is TLS already
        self.buffer, self.tls = b"", (obj, incoming, outgoing)

    def prelogin(self, payload):
        client, i = ENCRYPT_OFF, 0
        while i < len(payload) and payload[i] != 0xFF:
            option, offset, length = struct.unpack(">BHH", payload[i : i + 5])
            if option == 0x01 and length >= 1:
                client = payload[offset]
            i += 5
        answer = {"plain": ENCRYPT_NOT_SUP, "forced": ENCRYPT_REQ}.get(self.stance) or \
            {ENCRYPT_OFF: ENCRYPT_OFF, ENCRYPT_ON: ENCRYPT_ON, ENCRYPT_REQ: ENCRYPT_ON}.get(client, ENCRYPT_NOT_SUP)
        options = [(0x00, bytes([15, 0, 0x07, 0xD0, 0, 0])), (0x01, bytes([answer])), (0x02, b"\x00"), (0x03, b""), (0x04, b"\x00")]
        head, body = b"", b""
        for option, value in options:
            head += struct.pack(">BHH", option, 5 * len(options) + 1 + len(body), len(value))
            body += value
        self.send_message(0x04, head + b"\xff" + body)
        if client == ENCRYPT_NOT_SUP and answer == ENCRYPT_REQ:
            raise EOFError
        return answer

    def parse_login(self, payload):
        def field(at, unscramble=False):
            offset, count = struct.unpack("<HH", payload[at : at + 4])
            raw = payload[offset : offset + 2 * count]
            if unscramble:
                raw = bytes((((b ^ 0xA5) << 4) & 0xF0) | ((b ^ 0xA5) >> 4) for b in raw)
            return raw.decode("utf-16-le")

        return {"user": field(40), "password": field(44, True), "language": field(64), "database": field(68)}

    def run(self):
        kind, payload = self.read_message()
        if kind != 0x12:
            return
        answer = self.prelogin(payload)
        if answer != ENCRYPT_NOT_SUP:
            self.handshake()
        kind, payload = self.read_message()
        if kind != 0x10:
            return
        login = self.parse_login(payload)
        with open(self.logins, "a", encoding="utf-8") as f:
            f.write(json.dumps(dict(login, stance=self.stance, encrypted=self.tls is not None), ensure_ascii=False) + "\n")
        if login["user"] == "once" and next(ONCE) > 0:
            while self.sock.recv(4096):
                pass  # the user "once" is answered its first log-in only; any later one waits for ever
            return
        if answer == ENCRYPT_OFF:
            self.tls = None  # only the log-in travels inside TLS
        if login["user"] == "sa" and login["password"] != "secret":
            self.send_message(0x04, error_token(18456, "用户 'sa' 登录失败。", 14))
            return
        ack = bytes([1, 0x74, 0, 0, 4]) + b_varchar("Microsoft SQL Server") + bytes([15, 0, 0x07, 0xD0])
        database = b_varchar(login["database"] or "master") + b_varchar("master")
        self.send_message(0x04, token(0xE3, bytes([1]) + database) + token(0xAD, ack) + done())
        while True:
            kind, payload = self.read_message()
            if kind == 0x06:
                self.send_message(0x04, done(0x0020))
                continue
            if kind != 0x01:
                return
            query = payload[struct.unpack("<I", payload[:4])[0] :].decode("utf-16-le")
            keys = [" ".join(part.lower().split()) for part in query.split(";") if part.strip()] or [""]
            replies = [statement(key, login) for key in keys]
            if keys[-1] == "select stall":
                self.send_message(0x04, replies[-1][:56], last=False)
                while self.sock.recv(4096):
                    pass
                return
            # Every DONE but the last says that more results follow.
            more = [r[:-12] + struct.pack("<H", struct.unpack("<H", r[-12:-10])[0] | 1) + r[-10:] for r in replies[:-1]]
            self.send_message(0x04, b"".join(more) + replies[-1])


def serve_tcp(listener, stance, context, logins):
    while True:
        sock, _ = listener.accept()
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

        def run(sock=sock):
            with sock, contextlib.suppress(EOFError, ConnectionError, ssl.SSLError, struct.error):
                Connection(sock, stance, context, logins).run()

        threading.Thread(target=run, daemon=True).start()


def serve_browser(udp, port, noise):
    """Answers for SQLEXPRESS; every question for NOISE gets what is not an answer, and is counted."""
    while True:
        data, peer = udp.recvfrom(2048)
        name = data[1:].split(b"\x00")[0].decode("ascii", "replace").upper()
        if name == "NOISE":
            with open(noise, "a") as f:
                f.write(".")
            udp.sendto(b"\x07noise", peer)
        elif data[:1] == b"\x03" or (data[:1] == b"\x04" and name == INSTANCE):
            reply = ("ServerName;QVTEST;InstanceName;%s;IsClustered;No;Version;15.0.2000.5;tcp;%d;;" % (INSTANCE, port)).encode()
            udp.sendto(b"\x05" + struct.pack("<H", len(reply)) + reply, peer)


def main():
    cert, key, ready = sys.argv[1:4]
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.maximum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
    logins = os.path.join(os.path.dirname(os.path.abspath(ready)), "logins")
    ports = {}
    for stance in ("plain", "login", "forced"):
        listener = socket.create_server(("127.0.0.1", 0), backlog=32)
        ports[stance] = listener.getsockname()[1]
        threading.Thread(target=serve_tcp, args=(listener, stance, context, logins), daemon=True).start()
    # Where nothing ever answers: a listener that never accepts (the kernel completes the handshake
    # for its backlog) and a datagram port that is never read.
    silent = [socket.create_server(("127.0.0.1", 0), backlog=64), socket.socket(socket.AF_INET, socket.SOCK_DGRAM)]
    silent[1].bind(("127.0.0.1", 0))
    ports["silent_tcp"], ports["silent_udp"] = silent[0].getsockname()[1], silent[1].getsockname()[1]
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind(("127.0.0.1", 0))
    ports["browser"] = udp.getsockname()[1]
    noise = os.path.join(os.path.dirname(logins), "noise")
    threading.Thread(target=serve_browser, args=(udp, ports["login"], noise), daemon=True).start()
    with open(ready + ".tmp", "w") as f:
        f.writelines("%s=%d\n" % item for item in ports.items())
    os.replace(ready + ".tmp", ready)
    threading.Event().wait()


if __name__ == "__main__":
    main()
