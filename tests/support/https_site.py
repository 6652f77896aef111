#!/usr/bin/env python3
"""A static web server over HTTPS on loopback for the tests, with a certificate of
make-test-ca.sh; --redirect URL answers every request with a redirect to URL + its path."""
import argparse
import functools
import http.server
import ssl


class Redirect(http.server.BaseHTTPRequestHandler):
    target = ""

    def do_GET(self):
        self.send_response(301)
        self.send_header("Location", self.target + self.path.lstrip("/"))
        self.end_headers()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--directory", default=".")
    parser.add_argument("--redirect")
    args = parser.parse_args()
    if args.redirect:
        Redirect.target = args.redirect
        handler = Redirect
    else:
        handler = functools.partial(http.server.SimpleHTTPRequestHandler,
                                    directory=args.directory)
    server = http.server.ThreadingHTTPServer((args.bind, args.port), handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
