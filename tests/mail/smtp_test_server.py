"""A real SMTP server for the mail tests and the benchmark, on a free port of 127.0.0.1:
STARTTLS and AUTH required (unless --plain). Each accepted message is kept in FOLDER as
NNNN.eml, NNNN.json (headers and text as Python's own e-mail package decodes them) and
NNNN.pdf (its attachment); FOLDER/connections counts the sessions. Prints "PORT n" once
listening; ends when its standard input closes.
"""

import argparse
import asyncio
import email
import email.policy
import json
import logging
import ssl
import sys
import warnings
from pathlib import Path

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

parser = argparse.ArgumentParser()
parser.add_argument("--folder", type=Path, required=True)
parser.add_argument("--cert")
parser.add_argument("--key")
parser.add_argument("--user", default="")
parser.add_argument("--password", default="")
parser.add_argument("--plain", action="store_true", help="no STARTTLS, no AUTH: a local relay")
parser.add_argument("--refuse", type=int, default=0, help="answer 451 to the Nth message")
parser.add_argument("--drop", type=int, default=0, help="drop the connection at the Nth message, unanswered")
parser.add_argument("--count-only", action="store_true", help="keep nothing but the count (benchmark)")
args = parser.parse_args()
# The server's own notes (deprecations, a client that refused the certificate) would fill
# the tests' output; what matters reaches the client.
warnings.simplefilter("ignore")
logging.disable(logging.CRITICAL)

state = {"connections": 0, "seen": 0, "kept": 0}


class Session(SMTP):
    def connection_made(self, transport):
        if not hasattr(self, "number"):  # STARTTLS makes it again, for the same connection
            state["connections"] += 1
            self.number = state["connections"]
            (args.folder / "connections").write_text(str(self.number))
        super().connection_made(transport)


def keep(envelope):
    state["kept"] += 1
    stem = args.folder / f"{state['kept']:04d}"
    stem.with_suffix(".eml").write_bytes(envelope.content)
    message = email.message_from_bytes(envelope.content, policy=email.policy.default)
    body = message.get_body(preferencelist=("plain",))
    record = {
        "rcpt_tos": envelope.rcpt_tos,
        "from": str(message["From"]),
        "to": str(message["To"]),
        "subject": str(message["Subject"]),
        "message_id": str(message["Message-ID"]),
        "body_encoding": body["Content-Transfer-Encoding"] or "",
        "body": body.get_content(),
        "attachments": [],
    }
    for part in message.iter_attachments():
        record["attachments"].append({"name": part.get_filename(), "type": part.get_content_type()})
        stem.with_suffix(".pdf").write_bytes(part.get_content())
    stem.with_suffix(".json").write_text(json.dumps(record))


class Handler:
    async def handle_DATA(self, server, session, envelope):
        state["seen"] += 1
        if state["seen"] == args.refuse:
            return "451 4.3.0 Mailbox busy, try later"
        if state["seen"] == args.drop:
            server.transport.abort()
            return "250 never heard"
        if not args.count_only:
            keep(envelope)
        return "250 OK"


def authenticate(server, session, envelope, mechanism, auth_data):
    ok = isinstance(auth_data, LoginPassword) and auth_data.login.decode() == args.user \
        and auth_data.password.decode() == args.password
    return AuthResult(success=ok, handled=False)  # not handled: the server answers 535 itself


async def main():
    context = None
    if not args.plain:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
    loop = asyncio.get_running_loop()

    def session():
        if args.plain:
            return Session(Handler(), hostname="localhost")
        return Session(Handler(), hostname="localhost", tls_context=context, require_starttls=True,
                       auth_required=True, authenticator=authenticate)

    server = await loop.create_server(session, host="127.0.0.1", port=0)
    print(f"PORT {server.sockets[0].getsockname()[1]}", flush=True)
    await loop.run_in_executor(None, sys.stdin.buffer.read)
    server.close()


asyncio.run(main())
