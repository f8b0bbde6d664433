// The conformance session in JavaScript (see session.c for what it prints); KvduiError's code is each row's.
import { createRequire } from 'node:module';

const kvdui = createRequire(import.meta.url)(process.env.KVDUI_NODE_PACKAGE || 'kvdui');

function eventLine(e) {
    if (e.kind === 'click') console.log(`click ${e.id} ${e.name} ${e.flags}`);
    else if (e.kind === 'text') console.log(`text ${e.id} ${e.name} ${e.text}`);
    else console.log('disconnected');
}

function codeOf(call) {
    try {
        call();
    } catch (e) {
        if (e instanceof kvdui.KvduiError) return e.code;
        throw e;
    }
    return 0;
}

const [layout, port, badFile] = process.argv.slice(2);
const board = kvdui.Layout.open(layout);
let sim = kvdui.connect({ port: Number(port), name: 'conformance' });
console.log('show', sim.show(board, { lap: '12', laps: '57' }));
console.log('set', sim.set(board, 'lap', '13'));
for (let i = 0; i < 2; ++i) {
    const event = await sim.waitEvent(10000);
    if (event) eventLine(event);
}
console.log('hide', sim.hide(board));
const last = await sim.waitEvent(10000);
if (last) eventLine(last);
console.log('closed', codeOf(() => sim.show(board, { lap: '12', laps: '57' })));
sim.close();

sim = kvdui.connect({ port: Number(port), name: 'conformance' });
console.log('unknown-name', codeOf(() => board.id('fuel')));
// An object cannot be odd; a flat list is what an odd list looks like here.
console.log('odd-values', codeOf(() => sim.show(board, ['lap'])));
sim.close();
board.close();
console.log('bad-file', codeOf(() => kvdui.Layout.open(badFile)));
console.log('no-simulator', codeOf(() => kvdui.connect({ port: 1, timeoutMs: 2000 })));
