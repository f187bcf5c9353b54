#!/usr/bin/env python3
"""Regenerates the resource folder assets/Torvaly/ and the program's icons assets/icons/ from
scratch (run through generate.sh, which installs the Debian tools this needs)."""
import argparse
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from torvaly_art import folder, icon  # noqa: E402


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--out", default=os.path.join(here, "..", "..", "assets"),
                    help="folder that receives Torvaly/ and icons/ (default: the repository's "
                    "assets/)")
    ap.add_argument("-q", "--quiet", action="store_true")
    args = ap.parse_args()
    out = os.path.abspath(args.out)
    log = (lambda s: None) if args.quiet else print
    # Start clean so that a file nobody makes any more cannot linger.
    for name in ("Torvaly", "icons"):
        target = os.path.join(out, name)
        if os.path.isdir(target):
            shutil.rmtree(target)
        os.makedirs(target)
    folder.write_all(out, log=log)
    icon.write_icons(os.path.join(out, "icons"), log=log)


if __name__ == "__main__":
    main()
