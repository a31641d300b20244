#!/usr/bin/python3
# The real program under an X server with the accessibility bus on, as a screen reader
# sees it: the network simulator is opened from the menu, a client sends the guide's pose,
# and the three readouts are read back through the bus.
#
#   dbus-run-session -- e2e_accesibilidad.py PROGRAMA
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77

try:
    import pyatspi
except ImportError:
    print("sin pyatspi: prueba omitida")
    sys.exit(SKIP)
if not shutil.which("xdotool") or not shutil.which("Xvfb") or not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
    print("sin xdotool, Xvfb o at-spi2-core: prueba omitida")
    sys.exit(SKIP)


def start_x_server():
    # The server picks a free display and tells it once it takes connections.
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                              pass_fds=[write])
    os.close(write)
    # The pipe stays open: the server would end on writing to a closed one. Without
    # -noreset the server starts over each time its last client leaves, and a client that
    # comes meanwhile is turned away.
    os.environ["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
    return server


def wait_for(what, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        found = what()
        if found:
            return found
        time.sleep(0.2)
    return None


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def find(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is None:
            continue
        found = pyatspi.findDescendant(app, lambda a: a is not None and a.name == name)
        if found:
            return found
    return None


def main():
    x_server = start_x_server()
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    data = tempfile.TemporaryDirectory()
    port = free_port()
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", XDG_DATA_HOME=data.name)
    program = subprocess.Popen([sys.argv[1], "--puerto-tcp", str(port)], env=env)
    try:
        window = wait_for(lambda: subprocess.run(["xdotool", "search", "--name", "^MDIForm1$"],
                                                 capture_output=True, text=True).stdout.split())
        assert window, "la ventana principal no apareció"
        subprocess.run(["xdotool", "windowfocus", "--sync", window[0]], check=True)
        # "&Controlar desde..." then "&Internet", by their access keys.
        subprocess.run(["xdotool", "key", "alt+c"], check=True)
        time.sleep(0.5)
        subprocess.run(["xdotool", "key", "i"], check=True)
        readouts = [wait_for(lambda axis=axis: find("Posición " + axis)) for axis in "XYZ"]
        assert all(readouts), "las lecturas no tienen nombre en el bus de accesibilidad"

        client = socket.create_connection(("127.0.0.1", port), timeout=10)
        for message in (b"A18", b"B-18", b"C-38", b"D-52"):
            client.sendall(message)
            time.sleep(0.2)
        expected = ["15.754", "05.119", "20.958"]
        texts = wait_for(lambda: [r.queryText().getText(0, -1) for r in readouts] == expected and expected)
        shown = [r.queryText().getText(0, -1) for r in readouts]
        assert texts, "las lecturas dicen %s, se esperaba %s" % (shown, expected)
        view = find("Vista superior del brazo")
        assert view and "15.754" in view.description, "la vista no dice dónde está la herramienta"
        client.close()
        print("PASS: las lecturas se leen por el bus de accesibilidad:", shown)
    finally:
        program.terminate()
        program.wait(10)
        bus.terminate()
        x_server.terminate()
        data.cleanup()


if __name__ == "__main__":
    main()
