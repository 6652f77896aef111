#!/usr/bin/python3
# Finds the controls of a running program on the desktop's accessibility bus, as assistive
# technology would, and tells where they are on the screen, so that a test can click them
# with the real pointer.
#   where.py <pid>                  every showing control: "<role>|<name>|<x> <y> <w> <h>"
#   where.py <pid> <role> <name>    the centre "<x> <y>" of the first showing match and,
#                                   after a tab, the title of its window; exit 1 when there
#                                   is none
#   where.py <pid> --serve          answers such questions, one a line ("<role>\t<name>",
#                                   or "*" for every control, ended by an empty line), so
#                                   that a test pays for starting the probe only once
import sys

import pyatspi


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


# A list of the whole ad-server list has tens of thousands of rows; asking for each would
# take the program a minute of answering the bus. Only its first rows are looked at.
MAX_CHILDREN = 100


def walk(node, depth=0, window=None):
    """Every showing object below `node`, each with the window it is in."""
    if depth > 40:
        return
    for index in range(min(node.childCount, MAX_CHILDREN)):
        try:
            child = node.getChildAtIndex(index)
        except Exception:
            continue
        if child is None or not showing(child):
            continue
        top = window if window is not None else child
        yield child, top
        yield from walk(child, depth + 1, top)


def extents(node):
    try:
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height
    except Exception:
        return None


def application_of(pid):
    for application in pyatspi.Registry.getDesktop(0):
        try:
            if application is not None and application.get_process_id() == pid:
                return application
        except Exception:
            continue
    return None


def controls(pid, wanted=None):
    """The showing controls of the program, or only those whose (role, name) is `wanted`:
    asking a control where it is costs a round trip on the bus, so only those are asked."""
    application = application_of(pid)
    if application is None:
        return
    for node, window in walk(application):
        role, name = node.getRoleName(), (node.name or "").replace("\n", " ")
        if wanted is not None and (role, name) != wanted:
            continue
        box = extents(node)
        if box is None or box[2] <= 0 or box[3] <= 0:
            continue
        yield role, name, box, window.name or ""


def centre(pid, role, name):
    for _, _, box, window in controls(pid, (role, name)):
        return "%d %d\t%s" % (box[0] + box[2] // 2, box[1] + box[3] // 2, window)
    return None


def serve(pid):
    for line in sys.stdin:
        question = line.rstrip("\n")
        if question == "*":
            for role, name, box, _ in controls(pid):
                print("%s|%s|%d %d %d %d" % ((role, name) + box))
            print("", flush=True)
            continue
        role, _, name = question.partition("\t")
        print(centre(pid, role, name) or "-", flush=True)
    return 0


def main():
    pid = int(sys.argv[1])
    if sys.argv[2:3] == ["--serve"]:
        return serve(pid)
    if len(sys.argv) >= 4:
        at = centre(pid, sys.argv[2], sys.argv[3])
        if at is None:
            return 1
        print(at)
        return 0
    for role, name, box, _ in controls(pid):
        print("%s|%s|%d %d %d %d" % ((role, name) + box))
    return 0


sys.exit(main())
