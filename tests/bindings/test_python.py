# The Python binding as a user's script uses it, against a real kvdsim --headless on 127.0.0.1: the packets
# it receives equal what kvdui packets gives, clicks and typed text come back as events, and every bad
# input raises kvdui.Error with the C interface's code. KVDSIM, KVDUI and PIT_STOP come from CTest.

import os
import queue
import selectors
import subprocess
import threading
import time

import pytest

import kvdui

PIT_STOP = os.environ["PIT_STOP"]


class Sim:
    """kvdsim --headless as a child: its lines collected on a thread, its commands written to it."""

    def __init__(self, *extra):
        self.process = subprocess.Popen([os.environ["KVDSIM"], "--headless", "--port", "0", *extra],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.lines = queue.Queue()
        self.seen = []
        threading.Thread(target=self._read, daemon=True).start()
        self.port = int(self.wait_for("listening ").rsplit(":", 1)[1])

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))

    def wait_for(self, prefix, timeout=5.0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            try:
                line = self.lines.get(timeout=max(0.01, end - time.monotonic()))
            except queue.Empty:
                break
            self.seen.append(line)
            if line.startswith(prefix):
                return line
        return ""

    def packets(self, kind, count, timeout=5.0):
        """Waits until count packets of that type (hex, "2d") have come from client 1; returns them all."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            got = [line[4:].replace(" ", "") for line in self.seen if line.startswith("1 < ")]
            got = [p for p in got if p[2:4] == kind]
            if len(got) >= count:
                return got
            self.wait_for("1 < ", timeout=0.2)
        return got

    def command(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def close(self):
        try:
            self.command("quit")
            self.process.wait(timeout=5)
        except Exception:
            self.process.kill()
            self.process.wait(timeout=5)


@pytest.fixture
def sim():
    s = Sim()
    yield s
    s.close()


def kvdui_packets(*sets):
    args = [os.environ["KVDUI"], "packets", PIT_STOP]
    for s in sets:
        args += ["--set", s]
    out = subprocess.run(args, capture_output=True, text=True, timeout=30, check=True).stdout
    return [line.replace(" ", "") for line in out.splitlines() if line.strip()]


def test_layout_names_and_version():
    board = kvdui.Layout.open(PIT_STOP)
    assert len(board) == 9
    assert board.id("fuel_plus") == 3
    assert board.name(8) == "driver"
    assert board.name(200) == ""
    with pytest.raises(kvdui.Error) as e:
        board.id("fuel")
    assert e.value.code == kvdui.ERR_NAME
    assert kvdui.version() == kvdui.__version__
    with open(PIT_STOP, encoding="utf-8") as f:
        with kvdui.Layout.from_text(f.read()) as again:
            assert again.id("lap_counter") == 9


def test_show_set_hide_send_the_builders_packets(sim):
    board = kvdui.Layout.open(PIT_STOP)
    with kvdui.connect(port=sim.port, name="Pit wall") as client:
        assert client.show(board, {"lap": "12", "laps": "57"}) == 9
        assert sim.packets("2d", 9) == kvdui_packets("lap=12", "laps=57")
        assert client.set(board, "lap", "13") == 1          # only the lap counter's text changes
        assert client.set(board, "LAP", "13") == 0          # placeholders match ignoring case
        assert sim.packets("2d", 10)[-1] == kvdui_packets("lap=13", "laps=57")[-1]
        assert client.hide(board) == 1                       # IDs 1 to 9 in one delete
        assert len(sim.packets("2a", 1)) == 1


def test_events(sim):
    board = kvdui.Layout.open(PIT_STOP)
    with kvdui.connect(port=sim.port) as client:
        client.show(board, {"lap": "1", "laps": "57"})
        sim.packets("2d", 9)  # the stand-in clicks only buttons it has
        assert client.poll_event() is None
        sim.command("click 1 3")
        assert client.wait_event(5.0) == kvdui.Click(3, "fuel_plus", kvdui.CLICK_LEFT)
        sim.command("type 1 8 Max Power")
        assert client.wait_event(5.0) == kvdui.Text(8, "driver", "Max Power")
        assert client.wait_event(0.05) is None
        # The descriptor for selectors is readable while an event waits.
        sim.command("click 1 4")
        with selectors.DefaultSelector() as selector:
            selector.register(client.fileno(), selectors.EVENT_READ)
            assert selector.select(timeout=5.0)
        assert client.poll_event() == kvdui.Click(4, "fuel_minus", kvdui.CLICK_LEFT)
        sim.command("close 1")
        events = list(client.events(5.0))
        assert len(events) == 1 and isinstance(events[0], kvdui.Disconnected) and events[0].reason
        with pytest.raises(kvdui.Error) as e:
            client.show(board)
        assert e.value.code == kvdui.ERR_DISCONNECTED


def test_bad_input(sim, tmp_path):
    # A file that does not read, and one that is not a layout.
    with pytest.raises(kvdui.Error) as e:
        kvdui.Layout.open(tmp_path / "none.kvdui")
    assert e.value.code == kvdui.ERR_FILE and "Cannot open file" in e.value.message
    with pytest.raises(kvdui.Error) as e:
        kvdui.Layout.from_text("<ui><element id='4'/><element id='4'/></ui>")
    assert e.value.code == kvdui.ERR_LAYOUT
    board = kvdui.Layout.open(PIT_STOP)
    with kvdui.connect(port=sim.port, timeout=3.0) as client:
        with pytest.raises(kvdui.Error) as e:
            client.set(board, "lap", "2")
        assert e.value.code == kvdui.ERR_NOT_SHOWN
        client.show(board)
        with pytest.raises(kvdui.Error) as e:
            client.set(board, "fuel", "1")
        assert e.value.code == kvdui.ERR_NAME
        with pytest.raises(kvdui.Error) as e:
            client.show(board, {"lap": "\ud800"})  # a lone surrogate is no UTF-8
        assert e.value.code == kvdui.ERR_ENCODING
        with pytest.raises(kvdui.Error) as e:
            client.show(board, ["lap", "1"])
        assert e.value.code == kvdui.ERR_ARGUMENT
        other = kvdui.Layout.open(PIT_STOP)
        with pytest.raises(kvdui.Error) as e:
            client.show(other)
        assert e.value.code == kvdui.ERR_OVERLAP
        assert client.show(other, offset=100) == 9
    client.close()  # twice is harmless
    with pytest.raises(kvdui.Error) as e:
        client.show(board)
    assert e.value.code == kvdui.ERR_DISCONNECTED


def test_no_simulator_listening():
    s = Sim()
    port = s.port
    s.close()
    started = time.monotonic()
    with pytest.raises(kvdui.Error) as e:
        kvdui.connect(port=port, timeout=2.0)
    assert e.value.code == kvdui.ERR_CONNECT
    assert time.monotonic() - started < 5.0


def test_lifetime_and_non_ascii_text(sim):
    board = kvdui.Layout.open(PIT_STOP)
    client = kvdui.connect(port=sim.port)
    # A layout the script drops while it is shown stays with the client until it is hidden.
    shown = kvdui.Layout.open(PIT_STOP)
    assert client.show(shown, {"lap": "Zwölf", "laps": "57"}) == 9
    assert sim.packets("2d", 9) == kvdui_packets("lap=Zwölf", "laps=57")
    del shown
    import gc
    gc.collect()
    sim.command("click 1 3")
    assert client.wait_event(5.0) == kvdui.Click(3, "fuel_plus", kvdui.CLICK_LEFT)
    sim.command("type 1 8 Grüße")
    assert client.wait_event(5.0) == kvdui.Text(8, "driver", "Grüße")
    # Objects used after close give an error, never a crash.
    board.close()
    with pytest.raises(kvdui.Error):
        board.id("fuel_plus")
    with pytest.raises(kvdui.Error):
        client.show(board)
    client.close()
    with pytest.raises(kvdui.Error) as e:
        client.wait_event(0.1)
    assert e.value.code == kvdui.ERR_DISCONNECTED


def test_generated_module(tmp_path):
    # kvdui gen --lang python --embed: the names as module constants and the layout built in.
    module = tmp_path / "pit_stop.py"
    subprocess.run([os.environ["KVDUI"], "gen", PIT_STOP, "--lang", "python", "--embed", "-o", str(module)],
                   check=True, timeout=30)
    names = {}
    exec(compile(module.read_text(encoding="utf-8"), str(module), "exec"), names)
    assert names["fuel_plus"] == 3 and names["lap_counter"] == 9
    assert names["placeholder"].lap == "lap" and names["placeholder"].laps == "laps"
    with kvdui.Layout.from_text(names["layout"]) as board:
        assert board.id("fuel_plus") == names["fuel_plus"]
        assert board.id("driver") == names["driver"]
