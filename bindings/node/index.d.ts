// Types of the kvdui package: Korvadia UI Builder layouts shown from Node over libkvdui.
import { EventEmitter } from 'events';

export const OK: 0;
export const ERR_ARGUMENT: 1;
export const ERR_ENCODING: 2;
export const ERR_FILE: 3;
export const ERR_LAYOUT: 4;
export const ERR_NAME: 5;
export const ERR_OVERLAP: 6;
export const ERR_NOT_SHOWN: 7;
export const ERR_CONNECT: 8;
export const ERR_DISCONNECTED: 9;
export const ERR_SEND: 10;
export const ERR_INTERNAL: 11;

/** Bits of ClickEvent.flags. */
export const CLICK_LEFT: 1;
export const CLICK_RIGHT: 2;
export const CLICK_CTRL: 4;
export const CLICK_SHIFT: 8;

/** Every failure: code is one of the ERR_ constants, message says what went wrong. */
export class KvduiError extends Error {
    constructor(code: number, message: string);
    readonly code: number;
}

export interface ClickEvent {
    kind: 'click';
    id: number;
    /** "" when the element has no name or no shown layout holds the ID. */
    name: string;
    /** CLICK_ bits. */
    flags: number;
}

export interface TextEvent {
    kind: 'text';
    id: number;
    name: string;
    text: string;
}

/** The connection has ended; the client can only be closed now. */
export interface DisconnectedEvent {
    kind: 'disconnected';
    reason: string;
}

export type Event = ClickEvent | TextEvent | DisconnectedEvent;

/** Placeholder values: names (with or without braces) to texts, or a flat list name, value, ... */
export type Values = Readonly<Record<string, string>> | ReadonlyMap<string, string> | readonly string[] | null;

export class Layout {
    private constructor();
    /** Reads a .kvdui file: ERR_FILE when it cannot be read, ERR_LAYOUT when it is not a layout. */
    static open(file: string): Layout;
    /** Reads layout text, such as what kvdui gen --embed writes. */
    static fromText(text: string): Layout;
    /** The number of elements. */
    readonly count: number;
    /** The ID of the element of that name; ERR_NAME when there is none. */
    id(name: string): number;
    /** The name of the element with that ID; "" when it has none or there is no such element. */
    name(id: number): string;
    /** Frees the layout; clients that show it keep it until they hide it. */
    close(): void;
}

export interface ShowOptions {
    /** The connection shown to; 0, the default, is the simulator's own screen. */
    target?: number;
    /** Moves every ID up by this much (0 to 255), to show one layout twice. */
    offset?: number;
}

export interface ConnectOptions {
    /** IPv4 address; default 127.0.0.1. */
    address?: string;
    /** Default 29999. */
    port?: number;
    /** The program's name the simulator shows; default "kvdui". */
    name?: string;
    password?: string;
    /** For connecting and for each send; default 5000. */
    timeoutMs?: number;
}

/**
 * One connection to the simulator. Events come from waitEvent and pollEvent, or as 'click', 'text' and
 * 'disconnected' events to listeners; use one way or the other.
 */
export class Client extends EventEmitter {
    private constructor();
    /** Returns the number of packets sent. */
    show(layout: Layout, values?: Values, options?: ShowOptions): number;
    /** Sends only the buttons whose text changes; returns their number. */
    set(layout: Layout, name: string, value: string): number;
    /** Deletes the layout's buttons; returns the number of packets sent. */
    hide(layout: Layout): number;
    /** An event that has arrived already, or null. */
    pollEvent(): Event | null;
    /** The next event, or null when timeoutMs pass first (none or negative: no limit) or the client closes. */
    waitEvent(timeoutMs?: number): Promise<Event | null>;
    /** Deletes the buttons this client shows and closes the connection. */
    close(): void;

    on(kind: 'click', listener: (event: ClickEvent) => void): this;
    on(kind: 'text', listener: (event: TextEvent) => void): this;
    on(kind: 'disconnected', listener: (event: DisconnectedEvent) => void): this;
    on(kind: 'error', listener: (error: KvduiError) => void): this;
    on(kind: string | symbol, listener: (...args: any[]) => void): this;
    once(kind: 'click', listener: (event: ClickEvent) => void): this;
    once(kind: 'text', listener: (event: TextEvent) => void): this;
    once(kind: 'disconnected', listener: (event: DisconnectedEvent) => void): this;
    once(kind: 'error', listener: (error: KvduiError) => void): this;
    once(kind: string | symbol, listener: (...args: any[]) => void): this;
}

/** Connects and waits for the simulator's answer: ERR_CONNECT when it is absent, refuses or is silent. */
export function connect(options?: ConnectOptions): Client;

/** The version of the runtime library that was loaded, such as "1.0.0". */
export function version(): string;

export interface LoadOptions {
    /** The addon file; default KVDUI_NODE_ADDON, then kvdui.node beside the package's index.js. */
    addon?: string;
    /** The runtime library; default KVDUI_LIBRARY, then libkvdui.so.1 of the addon's install. */
    library?: string;
}

/** Loads the addon and the library now, from where options say; returns the files loaded. */
export function load(options?: LoadOptions): { addon: string; library: string };
