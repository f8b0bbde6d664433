'use strict';
// Show Korvadia UI Builder layouts from Node: a thin binding over the runtime library libkvdui and its C
// interface <kvdui/kvdui.h>, through the N-API addon kvdui.node. The same reading of layouts, the same
// packets and the same events as from C.
//
//   const kvdui = require('kvdui');
//   const board = kvdui.Layout.open('pit-stop.kvdui');
//   const sim = kvdui.connect({ port: 29999, name: 'Pit wall' });
//   sim.show(board, { lap: '12', laps: '57' });
//   const event = await sim.waitEvent(2000);   // null when the time runs out
//
// Every failure throws KvduiError, whose code is one of the ERR_ constants.

const { EventEmitter } = require('node:events');
const fs = require('node:fs');
const path = require('node:path');

// Error codes and click bits, as kvdui.h numbers them.
const OK = 0, ERR_ARGUMENT = 1, ERR_ENCODING = 2, ERR_FILE = 3, ERR_LAYOUT = 4, ERR_NAME = 5, ERR_OVERLAP = 6;
const ERR_NOT_SHOWN = 7, ERR_CONNECT = 8, ERR_DISCONNECTED = 9, ERR_SEND = 10, ERR_INTERNAL = 11;
const CLICK_LEFT = 1, CLICK_RIGHT = 2, CLICK_CTRL = 4, CLICK_SHIFT = 8;

class KvduiError extends Error {
    constructor(code, message) {
        super(message);
        this.name = 'KvduiError';
        this.code = code;
    }
}

let native = null;
let addonFile = null;
let libraryFile = null;

// Loads the addon and the runtime library; the first use of the library does it with the defaults. The
// addon: options.addon, KVDUI_NODE_ADDON, kvdui.node beside this file, build/kvdui.node (npm install's
// build). The library: options.library, KVDUI_LIBRARY, else libkvdui.so.1 found through the addon's
// RUNPATH (the library of its own install or build) and the system's search.
function load(options = {}) {
    const wanted = options.addon || process.env.KVDUI_NODE_ADDON;
    if (!native) {
        const candidates = wanted ? [path.resolve(wanted)]
            : [path.join(__dirname, 'kvdui.node'), path.join(__dirname, 'build', 'kvdui.node')];
        const file = candidates.find((candidate) => fs.existsSync(candidate));
        if (!file) {
            throw new KvduiError(ERR_FILE, `kvdui: the addon is missing (looked for ${candidates.join(', ')});`
                + ' build it with npm install or set KVDUI_NODE_ADDON');
        }
        native = require(file);
        addonFile = file;
    } else if (options.addon && path.resolve(options.addon) !== addonFile) {
        throw new KvduiError(ERR_ARGUMENT, `kvdui: the addon is already loaded from ${addonFile}`);
    }
    libraryFile = native.load(KvduiError, options.library || process.env.KVDUI_LIBRARY || null);
    return { addon: addonFile, library: libraryFile };
}

function lib() {
    if (!libraryFile) load();
    return native;
}

const HANDLE = Symbol('kvdui.handle');

class Layout {
    constructor(handle) {
        this[HANDLE] = handle;
    }

    // Reads a .kvdui file: ERR_FILE when it cannot be read, ERR_LAYOUT when it is not a layout.
    static open(file) {
        return new Layout(lib().layoutOpen(file));
    }

    // Reads layout text, such as a file's content or what kvdui gen --embed writes.
    static fromText(text) {
        return new Layout(lib().layoutOpen(text, true));
    }

    get count() {
        return native.layoutCount(this[HANDLE]);
    }

    id(name) {
        return native.layoutId(this[HANDLE], name);
    }

    name(id) {
        return native.layoutName(this[HANDLE], id);
    }

    close() {
        native.layoutClose(this[HANDLE]);
    }
}

// Placeholder values as the flat list name, value, ... the library takes; a list is passed as it is.
function flatValues(values) {
    if (values === undefined || values === null || Array.isArray(values)) return values ?? null;
    if (values instanceof Map) return [...values].flat();
    if (typeof values === 'object') return Object.entries(values).flat();
    throw new KvduiError(ERR_ARGUMENT, 'The values must be an object of placeholder names and texts');
}

const EVENT_KINDS = ['click', 'text', 'disconnected'];
const SLICE_MS = 500;

class Client extends EventEmitter {
    #handle;
    #closed = false;
    #pumping = false;

    constructor(handle) {
        super();
        this.#handle = handle;
        this.on('newListener', (kind) => {
            if (EVENT_KINDS.includes(kind)) process.nextTick(() => this.#pump());
        });
    }

    // Shows the layout with its placeholders filled in to options.target (0: the simulator's own screen),
    // every ID moved up by options.offset; returns the number of packets sent.
    show(layout, values = null, { target = 0, offset = 0 } = {}) {
        return native.show(this.#handle, layout?.[HANDLE], flatValues(values), target, offset);
    }

    // Changes one placeholder wherever the layout is shown; returns the number of buttons sent again.
    set(layout, name, value) {
        return native.set(this.#handle, layout?.[HANDLE], name, value);
    }

    hide(layout) {
        return native.hide(this.#handle, layout?.[HANDLE]);
    }

    // An event that has arrived already, or null.
    pollEvent() {
        return native.pollEvent(this.#handle);
    }

    // The next event, or null when timeoutMs pass first (none or negative: no limit) or the client is
    // closed meanwhile. Rejects with ERR_DISCONNECTED once the disconnected event has been handed out.
    async waitEvent(timeoutMs) {
        return native.wait(this.#handle, timeoutMs, true);
    }

    // Deletes the buttons this client shows and closes the connection; waits in flight end with null.
    close() {
        this.#closed = true;
        native.close(this.#handle);
    }

    #listening() {
        return !this.#closed && EVENT_KINDS.some((kind) => this.listenerCount(kind) > 0);
    }

    // While anyone listens: hands out the events that are there, then waits in slices until one is pending.
    // Events are taken only with a listener attached, so none is lost to a loop that is about to stop. A
    // listener's exception is not caught here: it escapes as an unhandled rejection.
    async #pump() {
        if (this.#pumping) return;
        this.#pumping = true;
        try {
            for (let event = null; this.#listening() && event !== undefined;) {
                event = await this.#next();
                if (event) this.emit(event.kind, event);
                if (event?.kind === 'disconnected') break;
            }
        } finally {
            this.#pumping = false;
        }
    }

    // The next event, null when none came in a slice, undefined when the client has ended.
    async #next() {
        try {
            const event = this.pollEvent();
            if (event) return event;
            await native.wait(this.#handle, SLICE_MS, false);
            return this.#listening() ? this.pollEvent() : null;
        } catch (error) {
            if (error.code !== ERR_DISCONNECTED) process.nextTick(() => this.emit('error', error));
            return undefined;
        }
    }
}

// Connects to the simulator (127.0.0.1:29999 unless told) and waits for its answer, at most timeoutMs.
function connect({ address = null, port = 0, name = null, password = null, timeoutMs = 5000 } = {}) {
    return new Client(lib().connect(address, port, name, password, timeoutMs));
}

// The version of the runtime library that was loaded, such as "1.0.0".
function version() {
    return lib().version();
}

// Listed name by name, so that ES modules can import them by name too.
module.exports = {
    OK, ERR_ARGUMENT, ERR_ENCODING, ERR_FILE, ERR_LAYOUT, ERR_NAME, ERR_OVERLAP, ERR_NOT_SHOWN, ERR_CONNECT,
    ERR_DISCONNECTED, ERR_SEND, ERR_INTERNAL, CLICK_LEFT, CLICK_RIGHT, CLICK_CTRL, CLICK_SHIFT,
    KvduiError, Layout, Client, connect, version, load,
};
