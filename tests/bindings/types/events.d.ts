// The part of Node's 'events' module the kvdui types use, so that they check without @types/node.
declare module 'events' {
    export class EventEmitter {
        on(event: string | symbol, listener: (...args: any[]) => void): this;
        once(event: string | symbol, listener: (...args: any[]) => void): this;
        off(event: string | symbol, listener: (...args: any[]) => void): this;
        emit(event: string | symbol, ...args: any[]): boolean;
        listenerCount(event: string | symbol): number;
        removeAllListeners(event?: string | symbol): this;
    }
}
