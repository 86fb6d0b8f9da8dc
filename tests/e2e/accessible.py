"""The accessibility tree of a program, read as a screen reader reads it.

The tree changes while a window repaints: an object listed a moment ago can be gone when it is read
("No such object path", "The application no longer exists"). Every question here is therefore
asked again until it has an answer, and an object that went away during a walk only means that the
walk starts over. Every end-to-end test that walks the tree goes through look()."""
import time

from gi.repository import GLib


def look(question, seconds, what):
    """Asks question() until it gives a true value, which is returned. A question that met an
    object going away is asked again; after seconds, fails naming what was awaited and the last
    such error."""
    deadline = time.monotonic() + seconds
    gone = None
    while True:
        try:
            answer = question()
            if answer:
                return answer
        except GLib.Error as error:  # an object went away while it was read
            gone = error
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {seconds} s waiting for {what}" +
                                 (f" (last: {gone.message})" if gone else ""))
        time.sleep(0.05)


def walk(node, depth=0):
    """The node and everything below it, depth first; a child that is gone is passed over."""
    if node is None or depth > 30:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def frame(application, title):
    """The top-level frame with this title of the application with this name, or None."""
    import pyatspi
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == application:
            for child in app:
                if child is not None and child.name == title:
                    return child
    return None


def find(top, role, name):
    """The first node below top() with this role and name, or None."""
    node = top()
    if node is None:
        return None
    for child in walk(node):
        if child.getRoleName() == role and child.name == name:
            return child
    return None


def act(top, role, name, seconds=10):
    """Performs the first action of the node (presses a button): the node is looked up again when
    it went away between being found and being pressed."""
    look(lambda: (lambda node: node is not None and
                  (node.queryAction().doAction(0) or True))(find(top, role, name)),
         seconds, f"the {role} {name!r} to be pressed")
