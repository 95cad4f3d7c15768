#!/usr/bin/python3
"""A small SQL Server of the tests' own: just enough TDS 7.4 for the FreeTDS ODBC driver.

It listens on three loopback TCP ports, one per encryption stance a server can take in PRELOGIN:
  plain   - "encryption not supported": the log-in would cross in the clear;
  login   - the usual SQL Server default: encrypts the log-in, or everything when the client asks;
  forced  - "encryption required": everything is encrypted.
and answers the browser service (SSRP, UDP) for the named instance SQLEXPRESS, pointing at "login".

The log-in is checked (the account "sa" has the password "secret"; any other user name is
accepted with any password) and each connection remembers what its LOGIN7 carried, which the
query "SELECT login_facts" returns; every log-in is also appended to the file "logins" beside
READYFILE as one JSON line, with whether it crossed encrypted. A batch "a; b" answers each
statement in turn: INSERT, UPDATE and DELETE with a row count. Other queries are in QUERIES below.

Usage: tds_server.py CERT KEY READYFILE -- writes "name=port" lines to READYFILE once listening.
"""

import datetime
import decimal
import functools
import json
import os
import socket
import ssl
import struct
import sys
import threading

PACKET_SIZE = 4096
ENCRYPT_OFF, ENCRYPT_ON, ENCRYPT_NOT_SUP, ENCRYPT_REQ = 0, 1, 2, 3
ACCOUNTS = {"sa": "secret"}
INSTANCE = "SQLEXPRESS"

# --- values and columns -----------------------------------------------------------------------

LATIN1_COLLATION = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])  # SQL_Latin1_General_CP1_CI_AS
CHINESE_COLLATION = bytes([0x04, 0x08, 0xD0, 0x00, 0x00])  # Chinese_PRC_CI_AS, code page 936


def b_varchar(text):
    data = text.encode("utf-16-le")
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = text.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


class Column:
    """One column: its TYPE_INFO and how a value becomes bytes (None is the database null)."""

    def __init__(self, name, type_info, encode):
        self.name, self.type_info, self.encode = name, type_info, encode

    def metadata(self):
        return struct.pack("<IH", 0, 0x0001) + self.type_info + b_varchar(self.name)


def text_column(name, type_code, collation, codec):
    def encode(v):
        if v is None:
            return b"\xff\xff"
        data = v.encode(codec)
        return struct.pack("<H", len(data)) + data

    return Column(name, bytes([type_code]) + struct.pack("<H", 8000) + collation, encode)


def nvarchar(name):
    return text_column(name, 0xE7, LATIN1_COLLATION, "utf-16-le")


def varchar(name, collation=LATIN1_COLLATION, codec="cp1252"):
    return text_column(name, 0xA7, collation, codec)


def intn(name):
    return Column(name, bytes([0x26, 4]), lambda v: b"\x00" if v is None else b"\x04" + struct.pack("<i", v))


def decimaln(name, precision, scale, type_code=0x6A):
    size = 5 if precision <= 9 else 9 if precision <= 19 else 13 if precision <= 28 else 17

    def encode(v):
        if v is None:
            return b"\x00"
        scaled = int(decimal.Decimal(v).scaleb(scale, decimal.Context(prec=60)).to_integral_value())
        sign = 0 if scaled < 0 else 1
        return bytes([size, sign]) + abs(scaled).to_bytes(size - 1, "little")

    return Column(name, bytes([type_code, 17, precision, scale]), encode)


def moneyn(name):
    def encode(v):
        if v is None:
            return b"\x00"
        units = int(decimal.Decimal(v).scaleb(4, decimal.Context(prec=60)).to_integral_value())
        return b"\x08" + struct.pack("<iI", units >> 32, units & 0xFFFFFFFF)

    return Column(name, bytes([0x6E, 8]), encode)


def floatn(name, size):
    fmt = "<d" if size == 8 else "<f"
    return Column(name, bytes([0x6D, size]), lambda v: b"\x00" if v is None else bytes([size]) + struct.pack(fmt, v))


def bitn(name):
    return Column(name, bytes([0x68, 1]), lambda v: b"\x00" if v is None else bytes([1, 1 if v else 0]))


def datetimen(name):
    def encode(v):
        if v is None:
            return b"\x00"
        delta = v - datetime.datetime(1900, 1, 1)
        midnight = v.replace(hour=0, minute=0, second=0, microsecond=0)
        ticks = round((v - midnight).total_seconds() * 300)
        return b"\x08" + struct.pack("<iI", delta.days, ticks)

    return Column(name, bytes([0x6F, 8]), encode)


def datetime2(name, scale=7):
    def encode(v):
        if v is None:
            return b"\x00"
        midnight = v.replace(hour=0, minute=0, second=0, microsecond=0)
        units = ((v - midnight) // datetime.timedelta(microseconds=1)) * 10 ** scale // 10 ** 6
        days = (v.date() - datetime.date(1, 1, 1)).days
        return bytes([8]) + units.to_bytes(5, "little") + days.to_bytes(3, "little")

    return Column(name, bytes([0x2A, scale]), encode)


def four_text_columns():
    return [nvarchar("category"), nvarchar("content"), nvarchar("expression"), nvarchar("amount")]


TYPED_COLUMNS = [
    nvarchar("nvarchar_zh"),
    varchar("varchar_en"),
    varchar("varchar_zh", CHINESE_COLLATION, "gbk"),
    intn("int_value"),
    decimaln("decimal_value", 18, 4),
    decimaln("numeric_value", 38, 10, 0x6C),
    moneyn("money_value"),
    floatn("float_value", 8),
    floatn("real_value", 4),
    bitn("bit_true"),
    bitn("bit_false"),
    datetimen("datetime_value"),
    datetime2("datetime2_value"),
    nvarchar("null_value"),
]
TYPED_ROW = (
    "住宿 北京饭店",
    "Hotel",
    "门票",
    -42,
    "120.5000",
    "12345678901234567890123456.7890000000",
    "120.50",
    0.1,
    0.25,
    True,
    False,
    datetime.datetime(2024, 5, 1, 13, 45, 30),
    datetime.datetime(2024, 5, 1, 13, 45, 30, 123400),
    None,
)

# The query text, lower case with its blanks, to (columns, rows) or an error (number, text);
# "select login_facts" is answered from the connection's own LOGIN7.
QUERIES = {
    "select typed_row": (TYPED_COLUMNS, [TYPED_ROW]),
    "select fill_row": (
        [nvarchar("category"), varchar("content", CHINESE_COLLATION, "gbk"), nvarchar("expression"),
         moneyn("amount"), bitn("extra")],
        [("住宿", "北京饭店 标准间", "380×2×3", "120.50", True)],
    ),
    "select bit_row": ([nvarchar("a"), nvarchar("b"), bitn("c"), bitn("d")], [("x", "y", True, False)]),
    "select narrow_none": ([nvarchar("a"), nvarchar("b"), nvarchar("c")], []),
    "select narrow_one": ([nvarchar("a"), nvarchar("b"), nvarchar("c")], [("a", "b", "c")]),
    "select null_row": (four_text_columns(), [("交通", None, "1", "2")]),
    "select missing": (208, "对象名 'missing' 无效。"),
}


@functools.lru_cache(maxsize=4)
def rows_reply(count):
    rows = [("房", "第%d项 北京饭店 标准间（含早）" % (i + 1), "单价: 580.00 × 15间 × 5晚", "43500.50") for i in range(count)]
    return result_set(four_text_columns(), rows)


def rows_query(text):
    """"select rows N": N four-column rows, as a host's fill of a long tour would return."""
    parts = text.split()
    if len(parts) == 3 and parts[0] == "select" and parts[1] == "rows" and parts[2].isdigit():
        return rows_reply(int(parts[2]))
    return None


# --- tokens -----------------------------------------------------------------------------------


def done(status=0x0000, rowcount=0, token=0xFD):
    return struct.pack("<BHHQ", token, status, 0xC1, rowcount)


def error_token(number, text, severity=16, state=1):
    body = struct.pack("<iBB", number, state, severity) + us_varchar(text) + b_varchar("QVTEST") + b_varchar("")
    body += struct.pack("<i", 1)
    return struct.pack("<BH", 0xAA, len(body)) + body


def envchange(kind, new, old):
    body = bytes([kind]) + b_varchar(new) + b_varchar(old)
    return struct.pack("<BH", 0xE3, len(body)) + body


def loginack():
    body = bytes([1]) + bytes([0x74, 0x00, 0x00, 0x04]) + b_varchar("Microsoft SQL Server") + bytes([15, 0, 0x07, 0xD0])
    return struct.pack("<BH", 0xAD, len(body)) + body


def result_set(columns, rows):
    out = [struct.pack("<BH", 0x81, len(columns))]
    out += [c.metadata() for c in columns]
    for row in rows:
        out.append(b"\xd1")
        out += [c.encode(v) for c, v in zip(columns, row)]
    out.append(done(0x0010, len(rows)))
    return b"".join(out)


# --- one connection ---------------------------------------------------------------------------


class Connection:
    def __init__(self, sock, stance, context, log, logins):
        self.sock, self.stance, self.context, self.log, self.logins = sock, stance, context, log, logins
        self.buffer = b""
        self.tls = None  # (SSLObject, incoming, outgoing) while TDS packets travel inside TLS
        self.login = None

    # Raw bytes, through TLS when it is on.
    def recv_bytes(self, n):
        while len(self.buffer) < n:
            if self.tls:
                obj, incoming, _ = self.tls
                try:
                    data = obj.read(65536)
                except ssl.SSLWantReadError:
                    chunk = self.sock.recv(65536)
                    if not chunk:
                        raise EOFError
                    incoming.write(chunk)
                    continue
            else:
                data = self.sock.recv(65536)
            if not data:
                raise EOFError
            self.buffer += data
        out, self.buffer = self.buffer[:n], self.buffer[n:]
        return out

    def send_bytes(self, data):
        if self.tls:
            obj, _, outgoing = self.tls
            obj.write(data)
            data = outgoing.read()
        self.sock.sendall(data)

    def read_message(self):
        """One TDS message (its packets joined): (type, payload)."""
        payload = b""
        while True:
            header = self.recv_bytes(8)
            kind, status, length = struct.unpack(">BBH", header[:4])
            payload += self.recv_bytes(length - 8)
            if status & 0x01:
                return kind, payload

    def send_message(self, kind, payload):
        chunk = PACKET_SIZE - 8
        pieces = [payload[i : i + chunk] for i in range(0, len(payload), chunk)] or [b""]
        out = []
        for i, piece in enumerate(pieces):
            last = i == len(pieces) - 1
            out.append(struct.pack(">BBHHBB", kind, 0x01 if last else 0x00, len(piece) + 8, 0, (i + 1) & 0xFF, 0) + piece)
        self.send_bytes(b"".join(out))

    def handshake(self):
        """TLS handshake carried inside PRELOGIN packets, as SQL Server does it."""
        incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
        obj = self.context.wrap_bio(incoming, outgoing, server_side=True)
        while True:
            try:
                obj.do_handshake()
                done_now = True
            except ssl.SSLWantReadError:
                done_now = False
            pending = outgoing.read()
            if pending:
                self.send_message(0x12, pending)
            if done_now:
                break
            incoming.write(self.read_message()[1])
        # What the client sent past its last handshake packet belongs to the TLS stream now.
        if self.buffer:
            incoming.write(self.buffer)
            self.buffer = b""
        self.tls = (obj, incoming, outgoing)

    def prelogin(self, payload):
        client = ENCRYPT_OFF
        i = 0
        while i < len(payload) and payload[i] != 0xFF:
            token, offset, length = struct.unpack(">BHH", payload[i : i + 5])
            if token == 0x01 and length >= 1:
                client = payload[offset]
            i += 5
        if self.stance == "plain":
            answer = ENCRYPT_NOT_SUP
        elif self.stance == "forced":
            answer = ENCRYPT_REQ
        else:
            answer = {ENCRYPT_OFF: ENCRYPT_OFF, ENCRYPT_ON: ENCRYPT_ON, ENCRYPT_REQ: ENCRYPT_ON}.get(client, ENCRYPT_NOT_SUP)
        options = [(0x00, bytes([15, 0, 0x07, 0xD0, 0, 0])), (0x01, bytes([answer])), (0x02, b"\x00"), (0x03, b""), (0x04, b"\x00")]
        head_size = 5 * len(options) + 1
        head, body = b"", b""
        for token, value in options:
            head += struct.pack(">BHH", token, head_size + len(body), len(value))
            body += value
        self.send_message(0x04, head + b"\xff" + body)
        self.log("prelogin client=%d answer=%d" % (client, answer))
        if client == ENCRYPT_NOT_SUP and answer == ENCRYPT_REQ:
            raise EOFError
        return answer

    def parse_login(self, payload):
        def field(offset_at, decode=None):
            offset, count = struct.unpack("<HH", payload[offset_at : offset_at + 4])
            raw = payload[offset : offset + 2 * count]
            if decode:
                raw = decode(raw)
            return raw.decode("utf-16-le")

        def unscramble(raw):
            return bytes((((b ^ 0xA5) << 4) & 0xF0) | ((b ^ 0xA5) >> 4) for b in raw)

        return {
            "user": field(40),
            "password": field(44, unscramble),
            "language": field(64),
            "database": field(68),
        }

    def run(self):
        kind, payload = self.read_message()
        if kind != 0x12:
            return
        answer = self.prelogin(payload)
        if answer in (ENCRYPT_OFF, ENCRYPT_ON, ENCRYPT_REQ):
            self.handshake()
        kind, payload = self.read_message()
        if kind != 0x10:
            return
        self.login = self.parse_login(payload)
        encrypted = self.tls is not None
        if answer == ENCRYPT_OFF:
            self.tls = None  # only the log-in travels inside TLS
        self.log("login %r encrypted=%s" % (self.login, encrypted))
        with open(self.logins, "a", encoding="utf-8") as f:
            f.write(json.dumps(dict(self.login, stance=self.stance, encrypted=encrypted), ensure_ascii=False) + "\n")
        user, password = self.login["user"], self.login["password"]
        if user in ACCOUNTS and ACCOUNTS[user] != password:
            self.send_message(0x04, error_token(18456, "用户 '%s' 登录失败。" % user, 14) + done(0x0002))
            return
        database = self.login["database"] or "master"
        self.send_message(0x04, envchange(1, database, "master") + loginack() + done())
        while True:
            kind, payload = self.read_message()
            if kind == 0x06:
                self.send_message(0x04, done(0x0020))
            elif kind == 0x01:
                headers = struct.unpack("<I", payload[:4])[0]
                self.answer(payload[headers:].decode("utf-16-le"))
            else:
                self.log("unexpected message type %#x" % kind)
                return

    def answer(self, query):
        self.log("query %r" % query)
        statements = [part for part in query.split(";") if part.strip()] or [query]
        replies = [self.statement(part) for part in statements]
        if statements[-1].strip().lower() == "select stall":
            # The start of a result, then nothing: a server that stalls in the middle of one.
            self.send_bytes(struct.pack(">BBHHBB", 0x04, 0x00, 64, 0, 1, 0) + replies[-1][:56])
            while self.sock.recv(4096):
                pass  # not even a cancel is answered
            return
        # Every reply but the last says that more follow.
        self.send_message(0x04, b"".join(r[:-12] + struct.pack("<H", struct.unpack("<H", r[-12:-10])[0] | 1) + r[-10:]
                                         for r in replies[:-1]) + replies[-1])

    def statement(self, query):
        key = " ".join(query.lower().split())
        if key.split(" ")[0] in ("insert", "update", "delete"):
            return done(0x0010, 1)
        if key == "select stall":
            return result_set(four_text_columns(), [("a", "b", "c", "d")] * 100)
        if key == "select login_facts":
            facts = self.login
            reply = result_set(four_text_columns(), [(facts["user"], facts["password"], facts["database"], facts["language"])])
        elif key in QUERIES:
            entry = QUERIES[key]
            if isinstance(entry[0], int):
                reply = error_token(entry[0], entry[1]) + done(0x0002)
            else:
                reply = result_set(*entry)
        elif key.startswith("set ") or key.startswith("use "):
            reply = done()
        else:
            reply = rows_query(key) or error_token(102, "'%s' 附近有语法错误。" % query[:40]) + done(0x0002)
        return reply


# --- listeners --------------------------------------------------------------------------------


def serve_tcp(listener, stance, context, log, logins):
    while True:
        sock, _ = listener.accept()
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

        def run(sock=sock):
            try:
                Connection(sock, stance, context, log, logins).run()
            except (EOFError, ConnectionError, ssl.SSLError, struct.error) as e:
                log("%s connection ended: %r" % (stance, e))
            finally:
                sock.close()

        threading.Thread(target=run, daemon=True).start()


def serve_browser(udp, ports, log):
    while True:
        data, peer = udp.recvfrom(2048)
        if not data or data[0] not in (0x03, 0x04):
            continue
        name = data[1:].split(b"\x00")[0].decode("ascii", "replace")
        log("browser asked for %r" % name)
        if data[0] == 0x04 and name.upper() != INSTANCE:
            continue
        text = "ServerName;QVTEST;InstanceName;%s;IsClustered;No;Version;15.0.2000.5;tcp;%d;;" % (INSTANCE, ports["login"])
        reply = text.encode("ascii")
        udp.sendto(b"\x05" + struct.pack("<H", len(reply)) + reply, peer)


def main():
    cert, key, ready = sys.argv[1:4]
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.maximum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
    quiet = os.environ.get("QUILVAR_TDS_LOG") is None

    def log(text):
        if not quiet:
            print(text, file=sys.stderr, flush=True)

    ports = {}
    for stance in ("plain", "login", "forced"):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", 0))
        listener.listen(32)
        ports[stance] = listener.getsockname()[1]
        logins = os.path.join(os.path.dirname(os.path.abspath(ready)), "logins")
        threading.Thread(target=serve_tcp, args=(listener, stance, context, log, logins), daemon=True).start()
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind(("127.0.0.1", 0))
    ports["browser"] = udp.getsockname()[1]
    threading.Thread(target=serve_browser, args=(udp, ports, log), daemon=True).start()

    with open(ready + ".tmp", "w") as f:
        for name, port in ports.items():
            f.write("%s=%d\n" % (name, port))
    os.replace(ready + ".tmp", ready)
    threading.Event().wait()


if __name__ == "__main__":
    main()
