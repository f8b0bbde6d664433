// The Node package as a user's program uses it, against a real kvdsim --headless on 127.0.0.1: the packets
// it receives equal what kvdui packets gives, clicks and typed text come back through waitEvent and the
// event emitter, and bad input throws KvduiError with the C interface's code. KVDSIM, KVDUI, PIT_STOP and
// KVDUI_NODE_PACKAGE (the built package folder) come from CTest.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { createInterface } from 'node:readline';
import { test } from 'node:test';
import { pathToFileURL } from 'node:url';
import v8 from 'node:v8';
import vm from 'node:vm';

const PACKAGE = process.env.KVDUI_NODE_PACKAGE;
const PIT_STOP = process.env.PIT_STOP;
const kvdui = createRequire(import.meta.url)(PACKAGE);

const bounded = { timeout: 60000 };
const click = (id, name, flags = 1) => ({ kind: 'click', id, name, flags });
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Checks every 20 ms, at most timeoutMs, until check gives something true; returns that, or the last value.
async function until(check, timeoutMs = 5000) {
    let value;
    for (let round = 0; round < timeoutMs / 20; ++round) {
        if ((value = check())) return value;
        await sleep(20);
    }
    return value;
}

function expectCode(code, call) {
    assert.throws(call, (e) => e instanceof kvdui.KvduiError && e.code === code);
}

// kvdsim --headless as a child: its lines collected as they come, its commands written to it.
class Sim {
    static async start() {
        const sim = new Sim();
        const line = await until(() => sim.lines.find((l) => l.startsWith('listening ')));
        assert.ok(line, 'kvdsim did not start');
        sim.port = Number(line.split(':').pop());
        return sim;
    }

    constructor() {
        this.process = spawn(process.env.KVDSIM, ['--headless', '--port', '0'], { stdio: ['pipe', 'pipe', 'inherit'] });
        this.lines = [];
        createInterface({ input: this.process.stdout }).on('line', (line) => this.lines.push(line));
    }

    // The packets of that type (hex, "2d") from client 1, once count of them have come.
    packets(kind, count) {
        const got = () => this.lines.filter((l) => l.startsWith('1 < ')).map((l) => l.slice(4).replaceAll(' ', ''))
            .filter((p) => p.slice(2, 4) === kind);
        return until(() => got().length >= count && got()).then((found) => found || got());
    }

    command(line) {
        this.process.stdin.write(`${line}\n`);
    }

    async stop() {
        const exited = new Promise((resolve) => this.process.once('exit', resolve));
        this.command('quit');
        if ((await Promise.race([exited, sleep(5000).then(() => 'late')])) === 'late') this.process.kill();
    }
}

function kvduiPackets(...sets) {
    const out = execFileSync(process.env.KVDUI, ['packets', PIT_STOP, ...sets.flatMap((s) => ['--set', s])],
        { encoding: 'utf8', timeout: 30000 });
    return out.split('\n').filter((l) => l.trim()).map((l) => l.replaceAll(' ', ''));
}

// A script run by a separate node with the package, KVDUI_LIBRARY as env says; its output as JSON.
function child(script, env = {}) {
    const environment = { ...process.env, ...env };
    for (const [key, value] of Object.entries(environment)) if (value === undefined) delete environment[key];
    const out = execFileSync(process.execPath, ['-e', `const kvdui = require(${JSON.stringify(PACKAGE)});\n${script}`],
        { env: environment, encoding: 'utf8', timeout: 20000 });
    return JSON.parse(out);
}

test('layouts: names, IDs and the errors of bad files and text', bounded, async () => {
    const board = kvdui.Layout.open(PIT_STOP);
    assert.equal(board.count, 9);
    assert.equal(board.id('fuel_plus'), 3);
    assert.equal(board.name(8), 'driver');
    assert.equal(board.name(200), '');
    expectCode(kvdui.ERR_NAME, () => board.id('fuel'));
    expectCode(kvdui.ERR_ARGUMENT, () => board.id(3));
    assert.equal(kvdui.Layout.fromText(fs.readFileSync(PIT_STOP, 'utf8')).id('lap_counter'), 9);
    assert.throws(() => kvdui.Layout.open('/nonexistent/none.kvdui'),
        (e) => e.code === kvdui.ERR_FILE && e.message.includes('Cannot open file'));
    expectCode(kvdui.ERR_LAYOUT, () => kvdui.Layout.fromText("<ui><element id='4'/><element id='4'/></ui>"));
    expectCode(kvdui.ERR_ENCODING, () => kvdui.Layout.fromText('<ui>\ud800</ui>'));
    expectCode(kvdui.ERR_ARGUMENT, () => kvdui.Layout.open(`${PIT_STOP}\0.txt`));
    board.close();
    board.close();
    expectCode(kvdui.ERR_ARGUMENT, () => board.id('fuel_plus'));
    assert.equal(kvdui.version(), '1.0.0');
    // ES modules import every export by name.
    const named = await import(pathToFileURL(path.join(PACKAGE, 'index.js')));
    const names = Object.keys(named).filter((key) => !['default', 'module.exports'].includes(key));
    assert.deepEqual(names.sort(), Object.keys(kvdui).sort());
});

test('the library: of the build by default, else from KVDUI_LIBRARY or the argument', () => {
    const built = fs.realpathSync(process.env.KVDUI_LIBRARY);
    const report = 'console.log(JSON.stringify([kvdui.load().library, kvdui.version()]))';
    assert.deepEqual(child(report, { KVDUI_LIBRARY: undefined }), [built, '1.0.0']);
    const codeOf = (call) => `try { ${call} } catch (e) { console.log(JSON.stringify(e.code)) }`;
    assert.equal(child(codeOf('kvdui.version()'), { KVDUI_LIBRARY: '/nonexistent/libkvdui.so.1' }), kvdui.ERR_FILE);
    const chosen = `console.log(JSON.stringify(kvdui.load({ library: ${JSON.stringify(built)} }).library))`;
    assert.equal(child(chosen, { KVDUI_LIBRARY: '/nonexistent/libkvdui.so.1' }), built);
    // Not a library of this interface.
    assert.equal(child(codeOf("kvdui.load({ library: 'libc.so.6' })"), { KVDUI_LIBRARY: undefined }), kvdui.ERR_FILE);
});

test('show, set and hide send the builder\'s packets; bad values give the C codes', bounded, async () => {
    const sim = await Sim.start();
    const board = kvdui.Layout.open(PIT_STOP);
    const client = kvdui.connect({ port: sim.port, name: 'Pit wall', timeoutMs: 3000 });
    try {
        expectCode(kvdui.ERR_NOT_SHOWN, () => client.set(board, 'lap', '2'));
        assert.equal(client.show(board, { lap: '12', laps: '57' }), 9);
        assert.deepEqual(await sim.packets('2d', 9), kvduiPackets('lap=12', 'laps=57'));
        assert.equal(client.set(board, 'lap', '13'), 1);
        assert.equal(client.set(board, 'LAP', '13'), 0);
        assert.deepEqual((await sim.packets('2d', 10))[9], kvduiPackets('lap=13', 'laps=57')[8]);
        // A flat list and a Map are taken like an object.
        assert.equal(client.show(board, ['lap', 'Zwölf', 'laps', '57']), 9);
        assert.deepEqual((await sim.packets('2d', 19)).slice(10), kvduiPackets('lap=Zwölf', 'laps=57'));
        assert.equal(client.show(board, new Map([['lap', '1']])), 9);
        expectCode(kvdui.ERR_ARGUMENT, () => client.show(board, ['lap']));
        expectCode(kvdui.ERR_ARGUMENT, () => client.show(board, { lap: 12 }));
        expectCode(kvdui.ERR_ARGUMENT, () => client.show(board, { lap: ['1', '2'] }));
        expectCode(kvdui.ERR_ARGUMENT, () => client.show(board, 'lap=1'));
        expectCode(kvdui.ERR_ARGUMENT, () => client.show(board, null, { target: 256 }));
        expectCode(kvdui.ERR_ARGUMENT, () => client.show({}, null));
        expectCode(kvdui.ERR_ENCODING, () => client.show(board, { lap: '\udc00' }));
        expectCode(kvdui.ERR_NAME, () => client.set(board, 'fuel', '1'));
        const other = kvdui.Layout.open(PIT_STOP);
        expectCode(kvdui.ERR_OVERLAP, () => client.show(other));
        assert.equal(client.show(other, null, { offset: 100 }), 9);
        assert.equal(client.hide(board), 1);
        assert.equal((await sim.packets('2a', 1)).length, 1);
    } finally {
        client.close();
        await sim.stop();
    }
    client.close();
    expectCode(kvdui.ERR_DISCONNECTED, () => client.show(board));
});

test('events through waitEvent and pollEvent, then the disconnection', bounded, async () => {
    const sim = await Sim.start();
    const board = kvdui.Layout.open(PIT_STOP);
    const client = kvdui.connect({ port: sim.port });
    try {
        client.show(board, { lap: '1', laps: '57' });
        await sim.packets('2d', 9); // the stand-in clicks only buttons it has
        assert.equal(client.pollEvent(), null);
        const started = Date.now();
        assert.equal(await client.waitEvent(100), null);
        assert.ok(Date.now() - started >= 90);
        sim.command('click 1 3');
        assert.deepEqual(await client.waitEvent(5000), click(3, 'fuel_plus', kvdui.CLICK_LEFT));
        sim.command('type 1 8 Grüße');
        assert.deepEqual(await client.waitEvent(5000), { kind: 'text', id: 8, name: 'driver', text: 'Grüße' });
        // Two waits at once: one gets the event, the other goes on waiting and times out.
        const bothStarted = Date.now();
        const both = Promise.all([client.waitEvent(1500), client.waitEvent(1500)]);
        sim.command('click 1 4 2');
        const got = (await both).filter(Boolean);
        assert.deepEqual(got, [click(4, 'fuel_minus', kvdui.CLICK_RIGHT)]);
        assert.ok(Date.now() - bothStarted >= 1400);
        sim.command('close 1');
        const end = await client.waitEvent(5000);
        assert.equal(end.kind, 'disconnected');
        assert.ok(end.reason);
        await assert.rejects(client.waitEvent(100), (e) => e.code === kvdui.ERR_DISCONNECTED);
        expectCode(kvdui.ERR_DISCONNECTED, () => client.show(board));
    } finally {
        client.close();
        await sim.stop();
    }
});

test('events through the emitter; none is taken once nobody listens', bounded, async () => {
    const sim = await Sim.start();
    const board = kvdui.Layout.open(PIT_STOP);
    const client = kvdui.connect({ port: sim.port });
    try {
        client.show(board);
        await sim.packets('2d', 9);
        const seen = [];
        client.on('click', (e) => seen.push(e));
        client.on('text', (e) => seen.push(e));
        sim.command('click 1 3 9');
        sim.command('type 1 8 Max Power');
        await until(() => seen.length >= 2);
        assert.deepEqual(seen, [click(3, 'fuel_plus', kvdui.CLICK_LEFT | kvdui.CLICK_SHIFT),
            { kind: 'text', id: 8, name: 'driver', text: 'Max Power' }]);
        client.removeAllListeners('click');
        client.removeAllListeners('text');
        sim.command('click 1 5');
        await sleep(300); // while the emitter's last wait is still in flight
        assert.deepEqual(await client.waitEvent(5000), click(5, 'soft_tyres'));
        const ended = new Promise((resolve) => client.once('disconnected', resolve));
        sim.command('close 1');
        assert.equal((await Promise.race([ended, sleep(5000)]))?.kind, 'disconnected');
    } finally {
        client.close();
        await sim.stop();
    }
});

test('close ends the waits in flight at once; a closed client keeps no process alive', bounded, async () => {
    const sim = await Sim.start();
    try {
        const client = kvdui.connect({ port: sim.port });
        const waits = [client.waitEvent(10000), client.waitEvent()];
        const started = Date.now();
        client.close();
        assert.deepEqual(await Promise.all(waits), [null, null]);
        assert.ok(Date.now() - started < 2000);
        await assert.rejects(client.waitEvent(100), (e) => e.code === kvdui.ERR_DISCONNECTED);
        // A script that listens and closes ends by itself.
        const started2 = Date.now();
        assert.equal(child(`const c = kvdui.connect({ port: ${sim.port} }); c.on('click', () => {});
            setTimeout(() => { c.close(); console.log('"done"'); }, 200);`), 'done');
        assert.ok(Date.now() - started2 < 5000);
    } finally {
        await sim.stop();
    }
});

test('the garbage collector frees dropped objects; a shown layout stays with its client', bounded, async () => {
    v8.setFlagsFromString('--expose-gc');
    const gc = vm.runInNewContext('gc');
    const sim = await Sim.start();
    const client = kvdui.connect({ port: sim.port });
    try {
        (() => assert.equal(client.show(kvdui.Layout.open(PIT_STOP), { lap: '1' }), 9))();
        (() => kvdui.connect({ port: sim.port, name: 'dropped' }))();
        await sim.packets('2d', 9);
        for (let round = 0; round < 50 && !sim.lines.includes('2 - closed by client'); ++round) {
            gc();
            await sleep(20);
        }
        assert.ok(sim.lines.includes('2 - closed by client'), 'the dropped client was not closed');
        sim.command('click 1 3');
        assert.deepEqual(await client.waitEvent(5000), click(3, 'fuel_plus'));
    } finally {
        client.close();
        await sim.stop();
    }
});

test('connecting where nobody listens gives ERR_CONNECT', bounded, async () => {
    const sim = await Sim.start();
    await sim.stop();
    const started = Date.now();
    expectCode(kvdui.ERR_CONNECT, () => kvdui.connect({ port: sim.port, timeoutMs: 2000 }));
    assert.ok(Date.now() - started < 5000);
    expectCode(kvdui.ERR_ARGUMENT, () => kvdui.connect({ port: 'x' }));
});

test('kvdui gen --lang typescript: the same IDs as the layout it embeds', bounded, async () => {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kvdui-node-'));
    try {
        const module = path.join(folder, 'pit_stop.ts');
        execFileSync(process.env.KVDUI, ['gen', PIT_STOP, '--lang', 'typescript', '--embed', '-o', module],
            { timeout: 30000 });
        // Its only TypeScript is "as const"; without it the module is JavaScript.
        const script = path.join(folder, 'pit_stop.mjs');
        fs.writeFileSync(script, fs.readFileSync(module, 'utf8').replaceAll(' as const', ''));
        const names = await import(pathToFileURL(script));
        const board = kvdui.Layout.fromText(names.layout);
        for (const name of ['fuel_plus', 'driver', 'lap_counter']) assert.equal(names[name], board.id(name));
        assert.deepEqual({ ...names.placeholder }, { lap: 'lap', laps: 'laps' });
    } finally {
        fs.rmSync(folder, { recursive: true, force: true });
    }
});
