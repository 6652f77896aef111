#!/usr/bin/python3
# Finds a running program's controls on the accessibility bus, as assistive technology
# would, so that a test can click them with the real pointer. where.py <pid> answers lines:
#   <role>\t<name>           "<x> <y>" (centre of the first showing match), tab, window title
#   *                        every showing control, "<role>|<name>|<x> <y> <w> <h>"
#   all                      every control, shown or not, "<role>: <name>"
#   press\t<role>\t<name>    runs the first match's action: "ok"
# "-" when there is no match; a list ends with an empty line. <pid> 1 just starts the bus.
# A bus stuck for BUDGET seconds answers "! <why>" (and, for a list, the empty line).
import sys
import time

import pyatspi

BUDGET = 10
# No single call on the bus may take the whole budget.
pyatspi.setTimeout(2000, 15000)
deadline = float("inf")


class OutOfTime(Exception):
    pass


def in_time():
    if time.monotonic() > deadline:
        raise OutOfTime("no answer from the accessibility bus within %d s" % BUDGET)

# A list of the whole ad-server list has tens of thousands of rows; asking for each would
# take the program a minute of answering the bus. Only its first rows are looked at.
MAX_CHILDREN = 100


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def walk(node, shown_only=True, depth=0, window=None):
    """The objects below `node`, each with the window it is in."""
    if depth > 40:
        return
    for index in range(min(node.childCount, MAX_CHILDREN)):
        in_time()
        try:
            child = node.getChildAtIndex(index)
        except Exception:
            continue
        if child is None or (shown_only and not showing(child)):
            continue
        top = window if window is not None else child
        yield child, top
        yield from walk(child, shown_only, depth + 1, top)


def extents(node):
    try:
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height
    except Exception:
        return None


def application_of(pid):
    for application in pyatspi.Registry.getDesktop(0):
        in_time()
        try:
            if application is not None and application.get_process_id() == pid:
                return application
        except Exception:
            continue
    return None


def named(node):
    return node.getRoleName(), (node.name or "").replace("\n", " ")


def objects(pid, shown_only=True):
    application = application_of(pid)
    if application is not None:
        yield from walk(application, shown_only)


def controls(pid, wanted=None):
    """The showing controls of the program, or only those whose (role, name) is `wanted`:
    asking a control where it is costs a round trip on the bus, so only those are asked."""
    for node, window in objects(pid):
        if wanted is not None and named(node) != wanted:
            continue
        box = extents(node)
        if box is None or box[2] <= 0 or box[3] <= 0:
            continue
        yield named(node), box, window.name or ""


def first(pid, role, name):
    return next((node for node, _ in objects(pid, False) if named(node) == (role, name)), None)


def answer(pid, question):
    if question == "*":
        return [
            "%s|%s|%d %d %d %d" % ((role, name) + box) for (role, name), box, _ in controls(pid)
        ] + [""]
    if question == "all":
        return ["%s: %s" % named(node) for node, _ in objects(pid, shown_only=False)] + [""]
    command, _, rest = question.partition("\t")
    if command == "press":
        node = first(pid, *rest.partition("\t")[::2])
        if node is None:
            return ["-"]
        node.queryAction().doAction(0)
        return ["ok"]
    for (_, _), box, window in controls(pid, (command, rest)):
        return ["%d %d\t%s" % (box[0] + box[2] // 2, box[1] + box[3] // 2, window)]
    return ["-"]


def main():
    global deadline
    pid = int(sys.argv[1])
    deadline = time.monotonic() + BUDGET
    try:
        application_of(pid)  # the first question on the bus starts it
    except Exception:
        pass
    for line in sys.stdin:
        listed = line.strip() in ("*", "all")
        deadline = time.monotonic() + BUDGET
        try:
            lines = answer(pid, line.rstrip("\n"))
        except OutOfTime as error:
            lines = ["! %s" % error] + ([""] if listed else [])
        except Exception:  # the program went, or an object vanished while it was asked
            lines = [""] if listed else ["-"]
        print("\n".join(lines), flush=True)
    return 0


sys.exit(main())
