#!/usr/bin/env python3
"""What the Python binding costs over C: a show of 256 buttons and one set, through kvdui (ctypes), against
a loopback stand-in that answers the initialise packet and drops the rest. Compare with bench_runtime's
BM_RuntimeShow256 and BM_RuntimeSet1of256 (the same layout through the C interface).

    PYTHONPATH=bindings/python KVDUI_LIBRARY=build/runtime/libkvdui.so.1 python3 bench/bench_python.py
"""

import socket
import threading
import time

import kvdui


def layout256() -> str:
    rows = []
    for i in range(256):
        left, top = (i % 16) * 24, (i // 16) * 24
        text = "Lap {v}" if i == 0 else f"Button {i}"
        rows.append(f'  <element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="{left}" '
                    f'rel_top="{top}" width="22" height="22" id="{i}" text="{text}" typein="0" bstyle="40" '
                    f'left="{left}" top="{top}"/>')
    return '<?xml version="1.0"?>\n<ui>\n' + "\n".join(rows) + "\n</ui>\n"


def stand_in(server: socket.socket) -> None:
    connection, _ = server.accept()
    init = connection.recv(4096)
    protocol = init[8] if len(init) > 8 else 9
    unit = 4 if protocol > 8 else 1
    version = bytes([20 // unit, 2, 0, protocol]) + b"0.9\0\0\0\0\0" + b"bench\0\0\0"
    connection.sendall(version)
    while connection.recv(1 << 16):
        pass


def best_of(runs: int, repeat: int, work) -> float:
    """The fastest of runs timings of repeat calls, per call, in microseconds."""
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        for _ in range(repeat):
            work()
        best = min(best, (time.perf_counter() - start) / repeat * 1e6)
    return best


def main() -> None:
    server = socket.create_server(("127.0.0.1", 0))
    threading.Thread(target=stand_in, args=(server,), daemon=True).start()
    board = kvdui.Layout.from_text(layout256())
    with kvdui.connect(port=server.getsockname()[1], name="bench") as sim:
        values = {"v": "1"}
        show = best_of(5, 2000, lambda: sim.show(board, values))
        laps = iter(range(10**9))
        set_one = best_of(5, 20000, lambda: sim.set(board, "v", str(next(laps) % 2)))
    print(f"python show of 256: {show:.1f} us")
    print(f"python set of one of 256: {set_one:.2f} us")


if __name__ == "__main__":
    main()
