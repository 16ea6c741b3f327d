#!/usr/bin/python3
"""Local FTP server for tests, demos and benchmarks (pyftpdlib).

Usage:
  /usr/bin/python3 scripts/ftp-server.py --root DIR [--port 0] [--user U --password P]

Binds 127.0.0.1 only. Prints exactly one line "PORT <n>" on stdout once it listens and
serves until it is killed. Without --user the login is anonymous with write permission.

Test modes:
  --silent            accept connections and never say anything (not even a greeting)
  --busy              greet, then answer the login with "421" and hang up
  --no-mlsd           refuse MLSD/MLST so that clients fall back to LIST
  --no-passive        answer EPSV and PASV with "502 Command not implemented" (only PORT and
                      EPRT, the active mode, open data connections)
  --throttle BPS      limit every data connection to BPS bytes per second, both ways
  --drop-after BYTES  during a download, after BYTES bytes of file data, close the data and
                      control connections without a final reply (the server "disappears")
  --cut-data-after BYTES
                      during every download, after BYTES bytes of file data, close the data
                      connection and answer 426 (the server itself stays)
  --stall-after BYTES during a transfer either way, after BYTES bytes of file data, stop
                      sending (a download) or reading (an upload) but keep every connection
                      open (a transfer that hangs)
  --idle-timeout S    close a control connection that has been idle for S seconds
  --read-only         the login may list and download, but not change anything
  --mute-quit         never answer QUIT (the connection stays open until the client closes it)
  --log FILE          append every command received to FILE, one a line, before it is answered
                      (the argument of PASS is left out), so that tests can read a transcript
  --verbose           log every command on stderr
"""

import argparse
import logging
import os
import signal
import socket
import sys
import threading
import warnings


def print_port(port):
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()


def run_silent(port):
    """A server that accepts connections and then says nothing at all."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(16)
    print_port(listener.getsockname()[1])
    held = []

    def drain(conn):
        try:
            while conn.recv(4096):
                pass
        except OSError:
            pass

    while True:
        conn, _ = listener.accept()
        held.append(conn)
        threading.Thread(target=drain, args=(conn,), daemon=True).start()


def run_busy(port):
    """A server that greets and then turns every login away with 421."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(16)
    print_port(listener.getsockname()[1])

    def serve(conn):
        try:
            conn.sendall(b"220 Busy test server.\r\n")
            conn.recv(4096)
            conn.sendall(b"421 Too many users logged in, try again later.\r\n")
        except OSError:
            pass
        finally:
            conn.close()

    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


def run_ftp(args):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
    from pyftpdlib.servers import FTPServer

    root = os.path.abspath(args.root)
    perms = "elr" if args.read_only else "elradfmwMT"
    authorizer = DummyAuthorizer()
    if args.user:
        authorizer.add_user(args.user, args.password or "", root, perm=perms)
    else:
        authorizer.add_anonymous(root, perm=perms)

    if args.throttle > 0:
        base_dtp = ThrottledDTPHandler
        base_dtp.read_limit = args.throttle
        base_dtp.write_limit = args.throttle
    else:
        base_dtp = DTPHandler

    drop_after = args.drop_after
    stall_after = args.stall_after
    cut_after = drop_after if drop_after >= 0 else stall_after
    cut_data_after = args.cut_data_after

    class TestDTPHandler(base_dtp):
        """Counts the bytes of a download and cuts everything off when asked to."""

        def use_sendfile(self):
            if cut_after >= 0 or cut_data_after >= 0:
                return False
            return super().use_sendfile()

        def send(self, data):
            if cut_data_after >= 0 and self.receive is False:
                already = getattr(self, "_pw_sent", 0)
                room = cut_data_after - already
                if room <= 0:
                    self.transfer_finished = False
                    self._resp = ("426 Transfer aborted; data connection cut.", logging.debug)
                    self.close()
                    return 0
                sent = super().send(data[:room])
                self._pw_sent = already + sent
                return sent
            if cut_after >= 0 and self.receive is False:
                already = getattr(self, "_pw_sent", 0)
                room = cut_after - already
                if room <= 0:
                    if drop_after >= 0:
                        self._pw_disappear()
                    else:
                        self.del_channel()  # keep the socket, never send again
                    return 0
                data = data[:room]
                sent = super().send(data)
                self._pw_sent = already + sent
                return sent
            return super().send(data)

        def handle_read(self):
            super().handle_read()
            if stall_after >= 0 and self.receive and self.tot_bytes_received >= stall_after:
                self.del_channel()  # keep the socket, never read again

        handle_read_event = handle_read  # the event loop calls this name

        def _pw_disappear(self):
            control = self.cmd_channel
            try:
                self.socket.close()
            except OSError:
                pass
            try:
                control.socket.close()
            except OSError:
                pass
            # Nothing else may be sent: stop the whole server as if its host vanished.
            os._exit(0)

    transcript = None
    if args.log:
        transcript = open(args.log, "a", encoding="utf-8", errors="surrogateescape")

    class TestFTPHandler(FTPHandler):
        if transcript:
            def pre_process_command(self, line, cmd, arg):
                transcript.write(("PASS" if cmd == "PASS" else line) + "\n")
                transcript.flush()
                return super().pre_process_command(line, cmd, arg)

        if args.cp1252:
            # Commands arrive as Windows-1252; listings leave in it (see Cp1252Filesystem).
            def decode(self, data):
                return data.decode("cp1252", self.unicode_errors)

            def ftp_FEAT(self, line):
                # The reply of the base class without its UTF8 line.
                lines = []
                push, self.push = self.push, lambda data: lines.append(data)
                respond, self.respond = self.respond, lambda data: lines.append(data)
                try:
                    super().ftp_FEAT(line)
                finally:
                    self.push, self.respond = push, respond
                for chunk in lines[:-1]:
                    push("".join(l + "\r\n" for l in chunk.split("\r\n")
                                 if l and l.strip() != "UTF8"))
                respond(lines[-1])

        if args.no_passive:
            def ftp_PASV(self, line):
                self.respond("502 Command not implemented.")

            def ftp_EPSV(self, line):
                self.respond("502 Command not implemented.")

        if args.no_rename:
            def ftp_RNTO(self, line):
                self.respond("550 Renaming is not allowed here.")

        if args.vanish_at_rename:
            def ftp_RNFR(self, line):
                self.close()  # the connection goes after the upload, before the rename

        if args.mute_quit:
            def ftp_QUIT(self, line):
                pass  # no reply, no close: the client has to give up by itself

    if args.cp1252:
        from pyftpdlib.filesystems import AbstractedFS

        def recode(lines):
            for line in lines:
                yield line.decode("utf8", "surrogateescape").encode("cp1252", "surrogateescape")

        class Cp1252Filesystem(AbstractedFS):
            def format_list(self, *a, **k):
                return recode(super().format_list(*a, **k))

            def format_mlsx(self, *a, **k):
                return recode(super().format_mlsx(*a, **k))

        TestFTPHandler.abstracted_fs = Cp1252Filesystem

    TestFTPHandler.authorizer = authorizer
    TestFTPHandler.dtp_handler = TestDTPHandler
    TestFTPHandler.banner = "Pagewright test server ready."
    # Names are bytes on the wire: keep bytes that are not UTF-8 intact in both directions.
    TestFTPHandler.unicode_errors = "surrogateescape"
    if args.cp1252:
        TestFTPHandler.encoding = "cp1252"
    TestFTPHandler.permit_privileged_ports = False
    if args.idle_timeout > 0:
        TestFTPHandler.timeout = args.idle_timeout
    if args.no_mlsd:
        cmds = dict(FTPHandler.proto_cmds)
        cmds.pop("MLSD", None)
        cmds.pop("MLST", None)
        TestFTPHandler.proto_cmds = cmds

    server = FTPServer(("127.0.0.1", args.port), TestFTPHandler)
    server.max_cons = 256
    print_port(server.address[1])
    server.serve_forever(timeout=0.5, handle_exit=True)


def main():
    parser = argparse.ArgumentParser(description="Local FTP server for tests")
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--busy", action="store_true")
    parser.add_argument("--no-mlsd", action="store_true")
    parser.add_argument("--no-passive", action="store_true")
    parser.add_argument("--no-rename", action="store_true")
    parser.add_argument("--vanish-at-rename", action="store_true")
    parser.add_argument("--throttle", type=int, default=0)
    parser.add_argument("--drop-after", type=int, default=-1)
    parser.add_argument("--stall-after", type=int, default=-1)
    parser.add_argument("--cut-data-after", type=int, default=-1)
    parser.add_argument("--idle-timeout", type=int, default=0)
    parser.add_argument("--read-only", action="store_true")
    parser.add_argument("--mute-quit", action="store_true")
    parser.add_argument("--cp1252", action="store_true",
                        help="send and read names as Windows-1252 and offer no UTF8 in FEAT")
    parser.add_argument("--log")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()

    logging.basicConfig(level=logging.DEBUG if args.verbose else logging.WARNING,
                        stream=sys.stderr, format="%(message)s")
    warnings.simplefilter("ignore")
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))

    if args.silent:
        run_silent(args.port)
    elif args.busy:
        run_busy(args.port)
    else:
        run_ftp(args)


if __name__ == "__main__":
    main()
