#!/usr/bin/env python3
"""Writes the seed inputs of the framing, paste and placeholder fuzz targets into fuzz/corpus/.

Framing seeds are the packets of a real session (version, keep-alive, console text, button clicks and
typed text, and the button packets of the sample layout), prefixed by the target's three control
bytes. Paste seeds are clipboard blocks in the designer's component stream format, as the designer
copies elements. Placeholder seeds are button texts with their argument values, split by zero bytes."""
import pathlib
import struct

here = pathlib.Path(__file__).resolve().parent / "corpus"


def packet(type_, body, unit):
    data = bytearray([0, type_]) + bytearray(body)
    while len(data) % 4:
        data.append(0)
    data[0] = len(data) // unit
    return bytes(data)


def button(id_, text, left, top, width, height, bstyle, typein, unit):
    text = text.encode("latin-1")
    body = bytes([1, 0, id_, 0, bstyle, typein, left // 2, top // 2, width // 2, height // 2]) + text + b"\0"
    return packet(45, body, unit)


def session(unit):
    version = packet(2, b"\0\0" + b"0.7F\0\0\0\0" + b"S3\0\0\0\0\0\0", unit)
    tiny = packet(3, b"\0\0", unit)
    console = packet(11, b"\0\0\0\0\0\0" + b"Player joined".ljust(128, b"\0"), unit)
    click = packet(46, b"\0\0\x07\0\x02\0", unit)
    typed = packet(47, b"\0\0\x07\0\0\0" + b"abc".ljust(96, b"\0"), unit)
    buttons = [button(0, "", 40, 60, 250, 200, 32, 0, unit),
               button(1, "Start", 50, 80, 60, 30, 40, 0, unit),
               button(2, "Name", 140, 80, 60, 30, 152, 16, unit),
               button(3, "Lap ^L", 0, 300, 100, 30, 64, 0, unit)]
    return [version, tiny, console, click, typed] + buttons


def write(folder, name, data):
    (here / folder / name).write_bytes(data)


def framing():
    for version, unit in ((9, 4), (8, 1)):
        flags = (1 if version == 9 else 0) | (1 << 1)  # the version packet's handler fails
        stream = b"".join(session(unit))
        write("framing", f"session_v{version}", bytes([flags, 7, 0]) + stream)
        write("framing", f"split_v{version}", bytes([flags & 1, 200, 3]) + stream + stream[:13])
    write("framing", "zero_size", bytes([1, 1, 0]) + session(4)[1] + b"\0\x03\0\0" + session(4)[3])


def name(text):
    return bytes([len(text)]) + text.encode("latin-1")


def int_value(value):
    if -128 <= value <= 127:
        return bytes([2]) + struct.pack("<b", value)
    return bytes([3]) + struct.pack("<h", value)


def utf8(text):
    data = text.encode("utf-8")
    return bytes([11]) + struct.pack("<I", len(data)) + data


def element(cls, comp, props, children=b""):
    body = name(cls) + name(comp)
    for prop, value in props:
        body += name(prop) + value
    return body + b"\0" + children + b"\0"


def paste():
    button = element("TKvdUIButton", "TKvdUIButton1",
                     [("Left", int_value(10)), ("Top", int_value(20)), ("Width", int_value(60)),
                      ("Height", int_value(30)), ("Text", utf8("Start")), ("ID", int_value(1)),
                      ("Style", bytes([7]) + name("stLight")), ("InputLength", int_value(16))])
    text = element("TKvdUIText", "TKvdUIText1",
                   [("Left", int_value(0)), ("Top", int_value(300)), ("Width", int_value(100)),
                    ("Height", int_value(30)), ("Align", bytes([7]) + name("alTop")),
                    ("Anchors", bytes([10]) + name("akLeft") + name("akRight") + b"\0"),
                    ("Text", utf8("Lap ^L")), ("Alignment", bytes([7]) + name("taLeftJustify"))])
    panel = element("TKvdUIPanel", "TKvdUIPanel2",
                    [("Left", int_value(40)), ("Top", int_value(60)), ("Width", int_value(250)),
                     ("Height", int_value(200))], button)
    write("paste", "button", b"TPF0" + button + b"\0")
    write("paste", "panel_with_button", b"TPF0" + panel + b"\0")
    write("paste", "two_components", b"TPF0" + panel + b"TPF0" + text + b"\0")


def placeholders():
    write("placeholders", "score", b"Lap {SCORE} of {laps}\0score\0 12 \0{LAPS}\0x")
    write("placeholders", "equals", b"{Name} = {name}\0 name=Player \0Ann")
    write("placeholders", "odd", b"Lap {SCORE}\0SCORE")
    write("placeholders", "braces", b"{{a}}{a}{A\0a}\0{b}\0b\0done")


framing()
paste()
placeholders()
