#!/usr/bin/python3
"""What a screen reader sees of the program, read over AT-SPI.

Starts a private X server and a private D-Bus session (which starts the accessibility bus and its
registry on demand), then the program in a scratch folder with a few tasks. Prints the main window's
tree, opens the task editor through the navigation pane's "New Task" button and the rule editor
through its menu item, and prints theirs. With --check it also fails (exit 1) when the list is not a
table of the tasks, a pane button or an input has no name, or a row cannot be selected.

Usage: atspi_dump.py PROGRAM [--check]
Needs Xvfb, dbus-daemon, gdbus, at-spi2-core and the Atspi GObject bindings (tools/install-deps.sh).
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import warnings

TASKS = [
    # title, for, day, month, year, description
    ("Quarterly report", "Anna", 5, 9, 2030, "Numbers from sales"),
    ("Buy milk", "me", 31, 12, 2029, ""),
    ("Call plumber", "Home", 1, 2, 2031, "Kitchen sink"),
]

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def task_file():
    blocks = []
    for title, whom, day, month, year, description in TASKS:
        blocks.append(
            f"ttl={title}\r\nfor={whom}\r\nday={day}\r\nmon={month}\r\nyea={year}\r\nhou=9\r\nmin=30\r\n"
            f"sec=0\r\ndel=N\r\ndes={description}\r\nact=addtask\r\n\r\n")
    return "[Tasks]\r\n\r\n" + "".join(blocks) + "[Alerts]\r\n\r\nval=3\r\nunt=d\r\nclr=255\r\nalr=on\r\nact=addalert\r\n"


def start_display(scratch):
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
                               "tcp"], pass_fds=(write_end,), stderr=open(os.path.join(scratch, "xvfb.log"), "w"))
    os.close(write_end)
    with os.fdopen(read_end) as reader:
        number = reader.readline().strip()
    if not number:
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number


def start_session_bus(environment):
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE,
                           stderr=open(os.path.join(environment["XDG_RUNTIME_DIR"], "bus.log"), "w"),
                           env=environment, text=True)
    address = bus.stdout.readline().strip()
    if not address:
        raise RuntimeError("dbus-daemon did not start")
    return bus, address


def wait_for(find, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    raise RuntimeError(f"{what} did not appear over AT-SPI within {seconds} s")


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    checking = "--check" in sys.argv[2:]

    scratch = tempfile.mkdtemp(prefix="taskwyn-atspi-")
    runtime = os.path.join(scratch, "runtime")
    os.mkdir(runtime, 0o700)
    with open(os.path.join(scratch, "tasks.txt"), "w", newline="") as out:
        out.write(task_file())

    started = []
    try:
        server, display = start_display(scratch)
        started.append(server)
        # Services the bus starts on demand inherit its environment: the accessibility bus puts its
        # socket under this private runtime folder, never under the user's own.
        environment = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=runtime,
                           XDG_CACHE_HOME=os.path.join(scratch, "cache"), NO_AT_BRIDGE="0")
        environment.pop("DBUS_SESSION_BUS_ADDRESS", None)
        bus, address = start_session_bus(environment)
        started.append(bus)
        environment["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ.update(environment)

        # The accessibility bus and its registry are up before the program asks for them: started
        # by the program's own first call, under load they may come too late for its bridge.
        Atspi = load_atspi()
        Atspi.get_desktop(0).get_child_count()

        app_environment = dict(environment, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                               LC_ALL="C.UTF-8", LANG="C.UTF-8")
        app = subprocess.Popen([program], cwd=scratch, env=app_environment, stdout=subprocess.DEVNULL,
                               stderr=open(os.path.join(scratch, "program.log"), "w"))
        started.append(app)
        try:
            return dump_and_check(Atspi, address, checking)
        except RuntimeError:
            with open(os.path.join(scratch, "program.log")) as log:
                sys.stderr.write(log.read())
            raise
    finally:
        for process in reversed(started):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
        # The accessibility bus and the registry were started by the session bus and end with it.
        shutil.rmtree(scratch, ignore_errors=True)


def load_atspi():
    # Imported once the private session bus is in the environment: the library connects at import.
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    # The per-interface getters are the ones that work on both old and new libatspi.
    warnings.simplefilter("ignore", DeprecationWarning)
    return Atspi


def dump_and_check(Atspi, session_address, checking):

    def application():
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name().lower() == "taskwyn":
                return app
        return None

    def window(title):
        app = application()
        if app is None:
            return None
        for i in range(app.get_child_count()):
            child = app.get_child_at_index(i)
            if child is not None and child.get_name() == title:
                return child
        return None

    def states(node):
        shown = ("focusable", "focused", "selectable", "selected", "checked", "editable")
        state_set = node.get_state_set()
        return [name for name in shown if state_set.contains(getattr(Atspi.StateType, name.upper()))]

    def actions(node):
        action = node.get_action_iface()
        return [action.get_action_name(i) for i in range(action.get_n_actions())] if action else []

    def line(node):
        text = f"[{node.get_role_name()}] {node.get_name()!r}"
        description = node.get_description()
        if description:
            text += f" description={description!r}"
        labelled = [r for r in node.get_relation_set() if r.get_relation_type() == Atspi.RelationType.LABELLED_BY]
        if labelled:
            text += f" labelled-by={labelled[0].get_target(0).get_name()!r}"
        if states(node):
            text += " {" + ", ".join(states(node)) + "}"
        if actions(node):
            text += " actions=" + ",".join(actions(node))
        table = node.get_table_iface()
        if table:
            text += f" rows={table.get_n_rows()} columns={table.get_n_columns()}"
        return text

    def dump(node, depth=0):
        print("  " * depth + line(node))
        for i in range(node.get_child_count()):
            child = node.get_child_at_index(i)
            if child is not None:
                dump(child, depth + 1)

    def find(node, role, name=None):
        if node.get_role_name() == role and (name is None or node.get_name() == name):
            return node
        for i in range(node.get_child_count()):
            child = node.get_child_at_index(i)
            found = find(child, role, name) if child is not None else None
            if found is not None:
                return found
        return None

    def find_all(node, roles):
        found = [node] if node.get_role_name() in roles else []
        for i in range(node.get_child_count()):
            child = node.get_child_at_index(i)
            if child is not None:
                found += find_all(child, roles)
        return found

    def press(node):
        names = actions(node)
        index = next(i for i, n in enumerate(names) if n.lower() in ("press", "click"))
        node.get_action_iface().do_action(index)

    def press_without_waiting(node):
        # A menu item triggers its command inside the call, and the command opens a modal dialog:
        # the reply comes only when the dialog closes, so the call is left to a process of its own.
        names = actions(node)
        index = next(i for i, n in enumerate(names) if n.lower() in ("press", "click"))
        accessibility_bus = subprocess.run(
            ["gdbus", "call", "--address", session_address, "--dest", "org.a11y.Bus", "--object-path",
             "/org/a11y/bus", "--method", "org.a11y.Bus.GetAddress"], capture_output=True, text=True,
            check=True).stdout.strip()[2:-3]
        return subprocess.Popen(["gdbus", "call", "--address", accessibility_bus, "--dest", node.app.bus_name,
                                 "--object-path", node.path, "--method", "org.a11y.atspi.Action.DoAction",
                                 str(index)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def names(node, roles):
        return [each.get_name() for each in find_all(node, roles)]

    main_window = wait_for(lambda: window("Taskwyn"), 30, "the main window")
    print("== main window")
    dump(main_window)

    table_node = find(main_window, "table")
    check(table_node is not None, "the list is no table")
    if table_node is not None:
        table = table_node.get_table_iface()
        check(table.get_n_rows() == len(TASKS), f"the table has {table.get_n_rows()} rows, not {len(TASKS)}")
        headers = [table.get_column_header(i).get_name() for i in range(table.get_n_columns())]
        check(headers == ["Title", "For", "Due"], f"column headers {headers}")
        first = [table.get_accessible_at(0, i).get_name() for i in range(2)]
        check(first == ["Buy milk", "me"], f"first row reads {first}")
        # Selecting a row as a reader would shows its task's description.
        table.add_row_selection(1)
        description = find(main_window, "text", "Description")
        check(description is not None, "no text box named 'Description'")
        if description is not None:
            shown = wait_for(lambda: description.get_text_iface().get_text(0, -1) or None, 5, "the description")
            check(shown == "Numbers from sales", f"the selected row shows {shown!r}")
            check(table.is_row_selected(1), "the row selected by the reader is not reported selected")
            print("== after a reader selected row 2")
            for column in range(table.get_n_columns()):
                print("  " + line(table.get_accessible_at(1, column)))
            print("  " + line(description) + f" text={shown!r}")
    pane = ["Immideate Attention", "All Items", "Recycled", "New Task"]
    check(all(n in names(main_window, ("push button",)) for n in pane), "a navigation pane button is unnamed")

    pane_button = find(main_window, "push button", "New Task")
    check(pane_button is not None, "the navigation pane has no push button 'New Task'")
    callers = [press(pane_button) if pane_button else press_without_waiting(find(main_window, "menu item",
                                                                                   "New Task..."))]
    editor = wait_for(lambda: window("New / Edit task"), 10, "the task editor")
    print("== task editor")
    dump(editor)
    inputs = names(editor, ("text", "combo box"))
    check(all(inputs), f"an input of the task editor has no name: {inputs}")
    check("Title" in inputs and "Description" in inputs, f"task editor inputs {inputs}")
    press(find(editor, "push button", "Cancel"))

    menu_item = find(main_window, "menu item", "Colors And Alerts")
    callers.append(press_without_waiting(menu_item))
    rules = wait_for(lambda: window("Colors & Alerts"), 10, "the rule editor")
    print("== rule editor")
    dump(rules)
    controls = names(rules, ("text", "check box", "frame", "push button"))
    check(all(n and n == n.strip() for n in controls), f"a control of the rule editor is badly named: {controls}")
    for wanted in ("Rule number", "Days", "Colour", "Popup at startup"):
        check(wanted in controls, f"the rule editor has no control named {wanted!r}")
    press(find(rules, "push button", "Cancel"))
    for caller in callers:
        if caller is not None:
            caller.wait(timeout=10)
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures and checking else 0


if __name__ == "__main__":
    sys.exit(main())
