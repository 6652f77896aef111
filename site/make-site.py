#!/usr/bin/env python3
"""Makes the vendor site's data files in zshared/ from ad-server lists.

Sources are hosts-format lists ("0.0.0.0 name", "127.0.0.1 name") or one name a line;
comments (#) and blank lines are skipped, names are lower-cased and kept once, in the
order first seen. Names that cannot be host names (blanks, control characters, an IP
address, "localhost") are dropped. Names of known popup ad servers get a leading "*".
Every file is written with CR LF line ends; the two lists end with "[END]" and no line
end after it, and updatedate.txt is the bare date, as the program reads them.

The program takes the three files only with their signatures: each is signed with the
site's Ed25519 private key (--key, a PEM file as "openssl genpkey -algorithm ed25519"
makes it, encrypted or not) into the same name with ".sig" added. The program holds the
public half, built in as QUORLEN_LIST_KEY, which --public-key prints.

  make-site.py --key KEY.pem --date 12/6/2026 [--retire-every 11] [--max 29999]
               [--version 1.0.0] [--features TEXT] [--out zshared] SOURCE...
  make-site.py --key KEY.pem --sign-only [--out zshared]
  make-site.py --public-key KEY.pem

--sign-only signs the three files as they are, after an edit by hand or by the program's
domain tester.

--retire-every N moves every Nth name into removals.txt (servers no longer active)
instead of domains.txt; --max caps domains.txt so that the program's 16-bit list counts
keep room for the user's own servers.
"""
import argparse
import getpass
import ipaddress
import os
import re
import subprocess
import sys

SIGNED = ("domains.txt", "removals.txt", "updatedate.txt")

POPUP = re.compile(r"popup|pop-up|popunder|pop-under|popads|popcash|popmyads|poptm")
SYSTEM = {"localhost", "localhost.localdomain", "broadcasthost", "local", "ip6-localhost",
          "ip6-loopback"}


def names_of(path):
    with open(path, encoding="latin-1") as source:
        for raw in source:
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split()
            name = fields[-1] if len(fields) > 1 else fields[0]
            yield name.lower()


def is_host_name(name):
    if name in SYSTEM or any(c <= " " or c == "\x7f" for c in name):
        return False
    try:
        ipaddress.ip_address(name)
        return False
    except ValueError:
        return True


def write(path, text):
    with open(path, "w", encoding="latin-1", newline="") as out:
        out.write(text)


def public_key(key):
    """The 32 bytes of the key's public half, in hex: the last bytes of its DER form."""
    der = subprocess.run(["openssl", "pkey", "-in", key, "-pubout", "-outform", "DER"],
                         check=True, capture_output=True).stdout
    return der[-32:].hex()


def sign(key, folder):
    # An encrypted key's passphrase is asked once and handed to openssl on its input.
    passphrase, passin = None, []
    with open(key, "rb") as pem:
        if b"ENCRYPTED" in pem.read():
            passphrase = getpass.getpass("Passphrase of " + key + ": ").encode() + b"\n"
            passin = ["-passin", "stdin"]
    for name in SIGNED:
        path = os.path.join(folder, name)
        subprocess.run(["openssl", "pkeyutl", "-sign", "-rawin", "-inkey", key, *passin,
                        "-in", path, "-out", path + ".sig"], input=passphrase, check=True)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--public-key":
        print(public_key(sys.argv[2]))
        return
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("sources", nargs="*")
    parser.add_argument("--key", required=True, help="the site's Ed25519 private key (PEM)")
    parser.add_argument("--sign-only", action="store_true")
    parser.add_argument("--date", help="month/day/year, e.g. 12/6/2026")
    parser.add_argument("--retire-every", type=int, default=0)
    parser.add_argument("--max", type=int, default=29999)
    parser.add_argument("--version", default="1.0.0")
    parser.add_argument("--features", default="Ad-server data kept current from this site, "
                        "through a proxy if need be.")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "zshared"))
    args = parser.parse_args()
    if args.sign_only:
        sign(args.key, args.out)
        return
    if not args.sources:
        parser.error("name the source lists")
    if not re.fullmatch(r"[1-9]\d?/[1-9]\d?/\d{4}", args.date or ""):
        sys.exit("--date must be month/day/year without leading zeros")

    seen = set()
    names = []
    for path in args.sources:
        for name in names_of(path):
            if name not in seen and is_host_name(name):
                seen.add(name)
                names.append(name)
    active, retired = [], []
    for index, name in enumerate(names, 1):
        retire = args.retire_every and index % args.retire_every == 0
        (retired if retire else active).append(name)
    active = active[:args.max]

    lines = ["# Quorlen active ad servers, " + args.date, "# a leading * marks a popup ad server"]
    lines += ["*" + n if POPUP.search(n) else n for n in active]
    write(os.path.join(args.out, "domains.txt"), "\r\n".join(lines + ["[END]"]))
    lines = ["# Quorlen inactive ad servers, " + args.date] + retired
    write(os.path.join(args.out, "removals.txt"), "\r\n".join(lines + ["[END]"]))
    write(os.path.join(args.out, "updatedate.txt"), args.date)
    write(os.path.join(args.out, "version.txt"),
          "Version:" + args.version.ljust(5)[:5] + " " + args.features)
    sign(args.key, args.out)
    print(f"{len(active)} active ({sum(1 for n in active if POPUP.search(n))} popup), "
          f"{len(retired)} inactive", file=sys.stderr)


if __name__ == "__main__":
    main()
