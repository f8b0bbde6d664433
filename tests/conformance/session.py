"""The conformance session in Python (see session.c for what it prints); kvdui.Error's code is each row's."""

import sys

import kvdui


def event_line(e):
    if isinstance(e, kvdui.Click):
        print(f"click {e.id} {e.name} {e.flags}", flush=True)
    elif isinstance(e, kvdui.Text):
        print(f"text {e.id} {e.name} {e.text}", flush=True)
    else:
        print("disconnected", flush=True)


def code_of(call):
    try:
        call()
    except kvdui.Error as e:
        return e.code
    return 0


def main(layout, port, bad_file):
    board = kvdui.Layout.open(layout)
    with kvdui.connect(port=int(port), name="conformance") as sim:
        print("show", sim.show(board, {"lap": "12", "laps": "57"}), flush=True)
        print("set", sim.set(board, "lap", "13"), flush=True)
        for _ in range(2):
            event = sim.wait_event(10.0)
            if event:
                event_line(event)
        print("hide", sim.hide(board), flush=True)
        event = sim.wait_event(10.0)
        if event:
            event_line(event)
        print("closed", code_of(lambda: sim.show(board, {"lap": "12", "laps": "57"})), flush=True)
    with kvdui.connect(port=int(port), name="conformance") as sim:
        print("unknown-name", code_of(lambda: board.id("fuel")))
        # A mapping cannot be odd; a flat list is what an odd list looks like here.
        print("odd-values", code_of(lambda: sim.show(board, ["lap"])))
    print("bad-file", code_of(lambda: kvdui.Layout.open(bad_file)))
    print("no-simulator", code_of(lambda: kvdui.connect(port=1, timeout=2.0)), flush=True)


if __name__ == "__main__":
    main(*sys.argv[1:4])
