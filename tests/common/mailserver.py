"""A small SMTP server for the tests and benchmarks, listening on 127.0.0.1 only.

It prints "PORT <n>" once it listens on a free port and serves until its standard input
closes. Every accepted message is stored as <folder>/<nnnnn>.eml (with --folder) or
discarded. Recipients whose address contains "refuse" are refused with 550. With --commands
the verb of every command received (never its arguments) is appended to that file; with
--silent-quit QUIT gets no answer and the line stays open until the client drops it.
"""
import argparse
import asyncio
import logging
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Store:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if "refuse" in address:
            return "550 5.1.1 Mailbox refused"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        if self.folder:
            name = os.path.join(self.folder, "%05d.eml" % self.count)
            with open(name + ".part", "wb") as f:
                f.write(envelope.original_content)
            os.replace(name + ".part", name)
        return "250 Message accepted"


class Recording(SMTP):
    """Writes down each command's verb; can leave QUIT unanswered, as a stalled server does."""

    def __init__(self, handler, commands=None, silent_quit=False, **options):
        super().__init__(handler, **options)
        for verb, method in list(self._smtp_methods.items()):
            if verb == "QUIT" and silent_quit:
                method = self.never_answer
            self._smtp_methods[verb] = self.recorded(verb, method, commands)

    @staticmethod
    def recorded(verb, method, commands):
        async def call(arg):
            if commands:
                with open(commands, "a") as f:
                    f.write(verb + "\n")
            await method(arg)
        return call

    async def never_answer(self, arg):
        await asyncio.Event().wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--folder")
    parser.add_argument("--tls", choices=["none", "starttls", "implicit"], default="none")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--commands")
    parser.add_argument("--silent-quit", action="store_true")
    args = parser.parse_args()
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)

    context = None
    if args.tls != "none":
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)

    def authenticate(server, session, envelope, mechanism, data):
        ok = (isinstance(data, LoginPassword)
              and data.login.decode() == args.user and data.password.decode() == args.password)
        return AuthResult(success=ok, handled=False)

    handler = Store(args.folder)

    def factory():
        options = dict(enable_SMTPUTF8=True, data_size_limit=None)
        if args.tls == "starttls":
            options.update(tls_context=context, require_starttls=True)
        if args.user:
            options.update(authenticator=authenticate, auth_required=True,
                           # Under implicit TLS the server cannot tell that the line is secure.
                           auth_require_tls=args.tls == "starttls")
        return Recording(handler, args.commands, args.silent_quit, **options)

    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(loop.create_server(
        factory, host="127.0.0.1", port=0, ssl=context if args.tls == "implicit" else None))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)

    # Ends when the parent closes our standard input (or dies).
    loop.add_reader(sys.stdin.fileno(), lambda: sys.stdin.buffer.read1(1024) or loop.stop())
    loop.run_forever()
    server.close()


if __name__ == "__main__":
    main()
