#!/usr/bin/python3
"""Local SFTP server for tests and benchmarks (asyncssh).

Usage:
  /usr/bin/python3 scripts/sftp-server.py --root DIR --host-key FILE
      [--port 0] [--user U --password P] [--authorized-keys FILE] [--home /PATH]
      [--log FILE]

Binds 127.0.0.1 only and serves DIR as "/" (the client sees nothing above it). The host key
is read from FILE; when FILE does not exist an Ed25519 key is made and written there first
(with FILE.pub beside it). Prints "FINGERPRINT <SHA-256 of the host key blob, AB:CD:...>" and
then "PORT <n>" on stdout once it listens, and serves until it is killed.

  --user U --password P   the one login (default tester / secret)
  --authorized-keys FILE  public keys (OpenSSH format) that may log in as U instead
  --home /PATH            the folder, below DIR, where relative paths start (the user's home;
                          its realpath "." is /PATH); default "/"
  --log FILE              append one line per event: "CONNECT", "AUTH <user>",
                          "PASSWORD <user> ok|bad", "PUBLICKEY <user> ok|bad", so that tests
                          can see what a client sent before it gave up
"""

import argparse
import asyncio
import hashlib
import os
import posixpath
import sys
import warnings

warnings.simplefilter("ignore")  # asyncssh imports ciphers that cryptography deprecates

import asyncssh  # noqa: E402


def log_line(path, text):
    if not path:
        return
    with open(path, "a", encoding="utf-8") as out:
        out.write(text + "\n")


def fingerprint(key):
    digest = hashlib.sha256(key.public_data).hexdigest().upper()
    return ":".join(digest[i:i + 2] for i in range(0, len(digest), 2))


def load_host_key(path):
    if not os.path.exists(path):
        key = asyncssh.generate_private_key("ssh-ed25519")
        key.write_private_key(path)
        key.write_public_key(path + ".pub")
        os.chmod(path, 0o600)
    return asyncssh.read_private_key(path)


def make_server_class(args):
    class Server(asyncssh.SSHServer):
        def connection_made(self, conn):
            log_line(args.log, "CONNECT")

        def begin_auth(self, username):
            log_line(args.log, "AUTH %s" % username)
            return True

        def password_auth_supported(self):
            return True

        def validate_password(self, username, password):
            ok = username == args.user and password == args.password
            log_line(args.log, "PASSWORD %s %s" % (username, "ok" if ok else "bad"))
            return ok

        def public_key_auth_supported(self):
            return bool(args.authorized_keys)

        def validate_public_key(self, username, key):
            ok = username == args.user and key.public_data in args.client_keys
            log_line(args.log, "PUBLICKEY %s %s" % (username, "ok" if ok else "bad"))
            return ok

    return Server


def make_sftp_class(args):
    home = args.home.encode("utf-8")

    class Sftp(asyncssh.SFTPServer):
        def __init__(self, chan):
            super().__init__(chan, chroot=args.root)

        def map_path(self, path):
            # Relative paths start in the home folder, as on a real server.
            if not path.startswith(b"/"):
                path = posixpath.join(home, path)
            return super().map_path(path)

    return Sftp


async def serve(args):
    key = load_host_key(args.host_key)
    args.client_keys = set()
    if args.authorized_keys:
        for client in asyncssh.read_public_key_list(args.authorized_keys):
            args.client_keys.add(client.public_data)
    server = await asyncssh.create_server(
        make_server_class(args), "127.0.0.1", args.port,
        server_host_keys=[key],
        sftp_factory=make_sftp_class(args),
        allow_scp=False,
        # The default 2 MB window with 32 KB packets throttles a fast client on loopback.
        window=8 * 1024 * 1024, max_pktsize=256 * 1024)
    port = server.sockets[0].getsockname()[1]
    sys.stdout.write("FINGERPRINT %s\n" % fingerprint(key))
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    await asyncio.Event().wait()


def main():
    parser = argparse.ArgumentParser(description="local SFTP server for tests")
    parser.add_argument("--root", required=True)
    parser.add_argument("--host-key", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user", default="tester")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--authorized-keys")
    parser.add_argument("--home", default="/")
    parser.add_argument("--log")
    args = parser.parse_args()
    args.root = os.path.realpath(args.root)
    if not args.home.startswith("/"):
        parser.error("--home must start with /")
    try:
        asyncio.run(serve(args))
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
