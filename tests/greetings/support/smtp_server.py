#!/usr/bin/python3
"""A mail server on loopback for the e-mail sender's tests (aiosmtpd).

Everything the client sends is appended, byte for byte, to OUT/conn-N.bin (one file per
connection, N counting from 1); every accepted message is written to OUT/msg-N.json with
its envelope and its content as received (Base64). Run it with Debian's /usr/bin/python3,
which sees python3-aiosmtpd.

  smtp_server.py --port P --out DIR [--tls-cert F --tls-key F] [--user U:PASS ...]
                 [--mechanisms LOGIN,PLAIN,CRAM-MD5] [--no-size] [--no-ehlo]
                 [--reject-rcpt TEXT]
"""
import argparse
import asyncio
import base64
import hmac
import itertools
import json
import os
import signal
import ssl
import time

from aiosmtpd.smtp import MISSING, SMTP, AuthResult, LoginPassword

ALL_MECHANISMS = ("LOGIN", "PLAIN", "CRAM-MD5")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--tls-cert")
    parser.add_argument("--tls-key")
    parser.add_argument("--user", action="append", default=[], help="USER:PASSWORD")
    parser.add_argument("--mechanisms", default="LOGIN,PLAIN,CRAM-MD5")
    parser.add_argument("--no-size", action="store_true")
    parser.add_argument("--reject-rcpt", default="")
    parser.add_argument("--no-ehlo", action="store_true", help="refuse EHLO (clients fall back to HELO)")
    args = parser.parse_args()

    users = {}
    for entry in args.user:
        name, _, password = entry.partition(":")
        users.setdefault(name, set()).add(password)
    wanted = {m.strip().upper() for m in args.mechanisms.split(",") if m.strip()}
    connections = itertools.count(1)
    messages = itertools.count(1)

    def check_password(server, session, envelope, mechanism, auth_data):
        ok = isinstance(auth_data, LoginPassword) and auth_data.password.decode() in users.get(auth_data.login.decode(), ())
        return AuthResult(success=ok, handled=False, auth_data=auth_data)

    class Handler:
        async def auth_CRAM__MD5(self, server, args):
            challenge = f"<{os.getpid()}.{time.time_ns()}@localhost>".encode()
            answer = await server.challenge_auth(challenge)
            if answer is MISSING:
                return AuthResult(success=False, handled=True)
            user, _, digest = answer.decode(errors="replace").partition(" ")
            ok = any(hmac.compare_digest(hmac.new(p.encode(), challenge, "md5").hexdigest(), digest)
                     for p in users.get(user, ()))
            return AuthResult(success=ok, handled=False, auth_data=LoginPassword(user.encode(), b""))

        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            if args.reject_rcpt and args.reject_rcpt in address:
                return "550 5.1.1 <%s>: Recipient address rejected: User unknown" % address
            envelope.rcpt_tos.append(address)
            envelope.rcpt_options.extend(rcpt_options)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            record = {
                "mail_from": envelope.mail_from,
                "mail_options": envelope.mail_options,
                "rcpt_tos": envelope.rcpt_tos,
                "login": session.auth_data.login.decode(errors="replace")
                if isinstance(session.auth_data, LoginPassword) else "",
                "content": base64.b64encode(envelope.original_content).decode(),
            }
            path = os.path.join(args.out, "msg-%d.json" % next(messages))
            with open(path + ".tmp", "w") as f:
                json.dump(record, f)
            os.rename(path + ".tmp", path)
            return "250 2.0.0 Message accepted for delivery"

    class RecordingSMTP(SMTP):
        _transcript = None

        async def smtp_EHLO(self, hostname):
            if args.no_ehlo:
                return await self.push("502 5.5.1 EHLO not implemented")
            return await super().smtp_EHLO(hostname)

        def data_received(self, data):
            # Numbered from the first byte: a probe that only connects leaves no file.
            if self._transcript is None:
                self._transcript = os.path.join(args.out, "conn-%d.bin" % next(connections))
            with open(self._transcript, "ab") as f:
                f.write(data)
            super().data_received(data)

    context = None
    if args.tls_cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.tls_cert, args.tls_key)

    excluded = [m for m in ALL_MECHANISMS if m not in wanted]
    handler = Handler()

    def factory():
        return RecordingSMTP(
            handler,
            hostname="mail.test",
            data_size_limit=None if args.no_size else 10485760,
            auth_require_tls=False,
            auth_exclude_mechanism=excluded,
            authenticator=check_password,
        )

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(loop.create_server(factory, host="127.0.0.1", port=args.port, ssl=context))
    loop.add_signal_handler(signal.SIGTERM, loop.stop)
    try:
        loop.run_forever()
    finally:
        server.close()


if __name__ == "__main__":
    main()
