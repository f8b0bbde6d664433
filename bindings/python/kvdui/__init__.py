"""Show Korvadia UI Builder layouts from Python.

A thin binding over the runtime library libkvdui and its C interface <kvdui/kvdui.h>: the same reading of
layouts, the same packets and the same events as from C or C++. Pure Python (ctypes); nothing to compile.

    import kvdui
    board = kvdui.Layout.open("pit-stop.kvdui")
    with kvdui.connect(port=29999, name="Pit wall") as sim:
        sim.show(board, {"lap": "12", "laps": "57"})
        sim.set(board, "lap", "13")              # sends only the buttons whose text changes
        event = sim.wait_event(timeout=2.0)      # None when the time runs out
        sim.hide(board)

Every failure raises kvdui.Error, whose code is one of the ERR_ constants. Objects of one client must be
used from one thread at a time; different clients may run on different threads.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import os
import sys
from dataclasses import dataclass
from pathlib import Path
from typing import Dict, Iterator, List, Mapping, Optional, Union

__all__ = [
    "Error", "Layout", "Client", "Click", "Text", "Disconnected", "Event", "connect", "version",
    "OK", "ERR_ARGUMENT", "ERR_ENCODING", "ERR_FILE", "ERR_LAYOUT", "ERR_NAME", "ERR_OVERLAP",
    "ERR_NOT_SHOWN", "ERR_CONNECT", "ERR_DISCONNECTED", "ERR_SEND", "ERR_INTERNAL",
    "CLICK_LEFT", "CLICK_RIGHT", "CLICK_CTRL", "CLICK_SHIFT",
]

__version__ = "1.0.0"

# Error codes, as kvdui.h numbers them.
OK = 0
ERR_ARGUMENT = 1
ERR_ENCODING = 2
ERR_FILE = 3
ERR_LAYOUT = 4
ERR_NAME = 5
ERR_OVERLAP = 6
ERR_NOT_SHOWN = 7
ERR_CONNECT = 8
ERR_DISCONNECTED = 9
ERR_SEND = 10
ERR_INTERNAL = 11

# Bits of Click.flags.
CLICK_LEFT = 1
CLICK_RIGHT = 2
CLICK_CTRL = 4
CLICK_SHIFT = 8

_EVENT_CLICK = 1
_EVENT_TEXT = 2
_EVENT_DISCONNECTED = 3


class Error(Exception):
    """A failed call: code is one of the ERR_ constants, message says what went wrong."""

    def __init__(self, code: int, message: str) -> None:
        super().__init__(message)
        self.code = code
        self.message = message


@dataclass(frozen=True)
class Click:
    """A click on a button: its ID, its name ("" when it has none) and the CLICK_ bits."""

    id: int
    name: str
    flags: int


@dataclass(frozen=True)
class Text:
    """Text the driver typed into a type-in button."""

    id: int
    name: str
    text: str


@dataclass(frozen=True)
class Disconnected:
    """The simulator closed the connection, or it broke; the client can only be closed now."""

    reason: str


Event = Union[Click, Text, Disconnected]


class _CError(ctypes.Structure):
    _fields_ = [("code", ctypes.c_int), ("message", ctypes.c_char * 512)]


class _COptions(ctypes.Structure):
    _fields_ = [
        ("address", ctypes.c_char_p),
        ("port", ctypes.c_int),
        ("program_name", ctypes.c_char_p),
        ("admin_password", ctypes.c_char_p),
        ("timeout_ms", ctypes.c_int),
    ]


class _CEvent(ctypes.Structure):
    _fields_ = [
        ("kind", ctypes.c_int),
        ("id", ctypes.c_int),
        ("name", ctypes.c_char_p),
        ("flags", ctypes.c_int),
        ("text", ctypes.c_char_p),
        ("layout", ctypes.c_void_p),
    ]


def _library_candidates() -> List[str]:
    """Where the library is looked for: KVDUI_LIBRARY, then beside this package's own install (the
    package in PREFIX/lib/python3/dist-packages, the library in PREFIX/lib or, on Windows, PREFIX/bin),
    then the system's search."""
    names = ["kvdui.dll"] if sys.platform == "win32" else ["libkvdui.so.1", "libkvdui.dylib"]
    found = []
    if os.environ.get("KVDUI_LIBRARY"):
        found.append(os.environ["KVDUI_LIBRARY"])
    here = Path(__file__).resolve().parent
    for prefix in list(here.parents)[2:5]:
        for folder in ("lib", "bin", "lib64"):
            found += [str(prefix / folder / name) for name in names]
    system = ctypes.util.find_library("kvdui")
    if system:
        found.append(system)
    found += names
    return found


def _load() -> ctypes.CDLL:
    problems = []
    for candidate in _library_candidates():
        if os.sep in candidate and not os.path.exists(candidate):
            continue
        try:
            return ctypes.CDLL(candidate)
        except OSError as e:
            problems.append(f"{candidate}: {e}")
    raise ImportError("kvdui: the runtime library libkvdui was not found; set KVDUI_LIBRARY to its path"
                      + ("".join("\n  " + p for p in problems)))


_lib = _load()


def _declare(name: str, restype, *argtypes) -> None:
    function = getattr(_lib, name)
    function.restype = restype
    function.argtypes = list(argtypes)


_P = ctypes.c_void_p
_E = ctypes.POINTER(_CError)
_declare("kvdui_version", ctypes.c_char_p)
_declare("kvdui_layout_open", _P, ctypes.c_char_p, _E)
_declare("kvdui_layout_from_text", _P, ctypes.c_char_p, ctypes.c_size_t, _E)
_declare("kvdui_layout_free", None, _P)
_declare("kvdui_layout_count", ctypes.c_int, _P)
_declare("kvdui_layout_id", ctypes.c_int, _P, ctypes.c_char_p)
_declare("kvdui_layout_name", ctypes.c_char_p, _P, ctypes.c_int)
_declare("kvdui_connect", _P, ctypes.POINTER(_COptions), _E)
_declare("kvdui_close", None, _P)
_declare("kvdui_show_at", ctypes.c_int, _P, _P, ctypes.POINTER(ctypes.c_char_p), ctypes.c_int, ctypes.c_int, _E)
_declare("kvdui_set", ctypes.c_int, _P, _P, ctypes.c_char_p, ctypes.c_char_p, _E)
_declare("kvdui_hide", ctypes.c_int, _P, _P, _E)
_declare("kvdui_wait_event", ctypes.c_int, _P, ctypes.POINTER(_CEvent), ctypes.c_int, _E)
_declare("kvdui_poll_event", ctypes.c_int, _P, ctypes.POINTER(_CEvent), _E)
_declare("kvdui_wait_handle", ctypes.c_ssize_t, _P)


def version() -> str:
    """The version of the runtime library that was loaded, such as "1.0.0"."""
    return _lib.kvdui_version().decode()


def _utf8(text: str, what: str) -> bytes:
    if not isinstance(text, str):
        raise Error(ERR_ARGUMENT, f"{what} must be a str, not {type(text).__name__}")
    try:
        return text.encode("utf-8")
    except UnicodeEncodeError as e:
        raise Error(ERR_ENCODING, f"{what} is not valid UTF-8 text: {e.reason}") from None


def _raise(err: _CError) -> None:
    raise Error(err.code, err.message.decode("utf-8", "replace"))


class _Closing:
    """close() as a with block and the garbage collector call it."""

    def close(self) -> None:
        raise NotImplementedError

    def __enter__(self):
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __del__(self) -> None:
        try:
            self.close()
        except Exception:
            pass


class Layout(_Closing):
    """A layout read once into the buttons it shows. Free it with close() or a with block; a layout that is
    shown stays valid for its clients until they hide it or close."""

    def __init__(self, handle: int) -> None:
        self._handle: Optional[int] = handle

    @classmethod
    def open(cls, path: Union[str, os.PathLike]) -> "Layout":
        """Reads a .kvdui file. Raises Error with ERR_FILE (cannot be read) or ERR_LAYOUT (not a layout,
        an ID or name used twice)."""
        err = _CError()
        handle = _lib.kvdui_layout_open(_utf8(os.fspath(path), "the file name"), ctypes.byref(err))
        if not handle:
            _raise(err)
        return cls(handle)

    @classmethod
    def from_text(cls, text: str) -> "Layout":
        """Reads layout text, such as a file's content or kvdui gen --embed's. Raises Error (ERR_LAYOUT)."""
        data = _utf8(text, "the layout text")
        err = _CError()
        handle = _lib.kvdui_layout_from_text(data, len(data), ctypes.byref(err))
        if not handle:
            _raise(err)
        return cls(handle)

    @property
    def handle(self) -> int:
        if self._handle is None:
            raise Error(ERR_ARGUMENT, "the layout has been closed")
        return self._handle

    def __len__(self) -> int:
        """The number of elements."""
        return _lib.kvdui_layout_count(self.handle)

    def id(self, name: str) -> int:
        """The ID of the element of that name; Error with ERR_NAME when no element has it."""
        found = _lib.kvdui_layout_id(self.handle, _utf8(name, "the name"))
        if found < 0:
            raise Error(ERR_NAME, f"No element of the layout is named {name!r}")
        return found

    def name(self, id: int) -> str:
        """The name of the element with that ID; "" when it has none or there is no such element."""
        found = _lib.kvdui_layout_name(self.handle, int(id))
        return found.decode() if found else ""

    def close(self) -> None:
        if self._handle is not None:
            _lib.kvdui_layout_free(self._handle)
            self._handle = None


def _values(values: Optional[Mapping[str, str]]):
    if values is None:
        return None, []
    if not isinstance(values, Mapping):
        raise Error(ERR_ARGUMENT, "the values must be a mapping of placeholder names to texts")
    encoded = []
    for name, value in values.items():
        encoded += [_utf8(name, "a placeholder name"), _utf8(value, f"the value of {name}")]
    array = (ctypes.c_char_p * (len(encoded) + 1))(*encoded, None)
    return array, encoded


class Client(_Closing):
    """One connection to the simulator. Close it with close() or a with block. The library answers the
    simulator's keep-alives itself, so a program that is busy for a while stays connected."""

    def __init__(self, handle: int) -> None:
        self._handle: Optional[int] = handle
        self._shown: Dict[int, Layout] = {}

    @property
    def handle(self) -> int:
        if self._handle is None:
            raise Error(ERR_DISCONNECTED, "the client has been closed")
        return self._handle

    def show(self, layout: Layout, values: Optional[Mapping[str, str]] = None, target: int = 0,
             offset: int = 0) -> int:
        """Shows the layout with its placeholders filled in to target (0: the connection's own screen),
        every ID moved up by offset. Returns the number of packets sent. Raises Error: ERR_OVERLAP when
        another shown layout uses one of the IDs, ERR_SEND or ERR_DISCONNECTED when it cannot go."""
        array, keep = _values(values)
        err = _CError()
        sent = _lib.kvdui_show_at(self.handle, layout.handle, array, int(target), int(offset), ctypes.byref(err))
        if sent < 0:
            _raise(err)
        self._shown[layout.handle] = layout
        return sent

    def set(self, layout: Layout, name: str, value: str) -> int:
        """Changes one placeholder wherever the layout is shown and sends only the buttons whose text
        changes; returns their number. Raises Error: ERR_NAME (no text uses it), ERR_NOT_SHOWN."""
        err = _CError()
        sent = _lib.kvdui_set(self.handle, layout.handle, _utf8(name, "the placeholder name"),
                              _utf8(value, "the value"), ctypes.byref(err))
        if sent < 0:
            _raise(err)
        return sent

    def hide(self, layout: Layout) -> int:
        """Deletes the layout's buttons wherever it is shown; returns the number of packets sent."""
        err = _CError()
        sent = _lib.kvdui_hide(self.handle, layout.handle, ctypes.byref(err))
        if sent < 0:
            _raise(err)
        self._shown.pop(layout.handle, None)
        return sent

    def _event(self, got: int, event: _CEvent, err: _CError) -> Optional[Event]:
        if got < 0:
            _raise(err)
        if got == 0:
            return None
        name = event.name.decode("utf-8", "replace") if event.name else ""
        text = event.text.decode("utf-8", "replace") if event.text else ""
        if event.kind == _EVENT_CLICK:
            return Click(event.id, name, event.flags)
        if event.kind == _EVENT_TEXT:
            return Text(event.id, name, text)
        return Disconnected(text)

    def wait_event(self, timeout: Optional[float] = None) -> Optional[Event]:
        """The next click, typed text or disconnection; None when timeout seconds pass first (None: wait
        as long as it takes). Raises Error with ERR_DISCONNECTED after the Disconnected event."""
        milliseconds = -1 if timeout is None else max(0, int(timeout * 1000))
        event, err = _CEvent(), _CError()
        return self._event(_lib.kvdui_wait_event(self.handle, ctypes.byref(event), milliseconds,
                                                 ctypes.byref(err)), event, err)

    def poll_event(self) -> Optional[Event]:
        """An event that has arrived already, or None at once."""
        event, err = _CEvent(), _CError()
        return self._event(_lib.kvdui_poll_event(self.handle, ctypes.byref(event), ctypes.byref(err)), event, err)

    def events(self, timeout: Optional[float] = None) -> Iterator[Event]:
        """Events as they come, until timeout seconds pass without one or the connection ends."""
        while True:
            event = self.wait_event(timeout)
            if event is None:
                return
            yield event
            if isinstance(event, Disconnected):
                return

    def fileno(self) -> int:
        """A descriptor that becomes readable when an event waits (for selectors); then call poll_event."""
        return int(_lib.kvdui_wait_handle(self.handle))

    def close(self) -> None:
        """Deletes the buttons this client shows and closes the connection; events still waiting are dropped."""
        if self._handle is not None:
            _lib.kvdui_close(self._handle)
            self._handle = None
            self._shown.clear()


def connect(address: Optional[str] = None, port: int = 0, name: Optional[str] = None,
            password: Optional[str] = None, timeout: float = 5.0) -> Client:
    """Connects to the simulator (127.0.0.1 and 29999 when not given) and waits for its answer, at most
    timeout seconds. Raises Error with ERR_CONNECT when it is absent, refuses or does not answer."""
    options = _COptions(
        _utf8(address, "the address") if address else None,
        int(port),
        _utf8(name, "the program name") if name else None,
        _utf8(password, "the password") if password else None,
        max(1, int(timeout * 1000)),
    )
    err = _CError()
    handle = _lib.kvdui_connect(ctypes.byref(options), ctypes.byref(err))
    if not handle:
        _raise(err)
    return Client(handle)
