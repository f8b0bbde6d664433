// What the Node binding costs over C: a show of 256 buttons and one set, through kvdui (the N-API addon),
// against a loopback stand-in on a worker thread that answers the initialise packet and drops the rest.
// Compare with bench_runtime's BM_RuntimeShow256 and BM_RuntimeSet1of256 (the same layout through C).
//
//   KVDUI_NODE_ADDON=build/bindings/node/kvdui.node node bench/bench_node.mjs
import { createRequire } from 'node:module';
import { Worker } from 'node:worker_threads';

const require = createRequire(import.meta.url);
const kvdui = require(process.env.KVDUI_NODE_PACKAGE ?? '../bindings/node');

function layout256() {
    const rows = [];
    for (let i = 0; i < 256; ++i) {
        const left = (i % 16) * 24, top = Math.floor(i / 16) * 24;
        const text = i === 0 ? 'Lap {v}' : `Button ${i}`;
        rows.push(`  <element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="${left}" ` +
                  `rel_top="${top}" width="22" height="22" id="${i}" text="${text}" typein="0" bstyle="40" ` +
                  `left="${left}" top="${top}"/>`);
    }
    return `<?xml version="1.0"?>\n<ui>\n${rows.join('\n')}\n</ui>\n`;
}

// The stand-in: its own thread, so that it keeps reading while the benchmark's loop holds this one.
const standIn = new Worker(`
    const net = require('node:net');
    const { parentPort } = require('node:worker_threads');
    const server = net.createServer((socket) => {
        let answered = false;
        socket.on('data', (data) => {
            if (answered) return;
            answered = true;
            const protocol = data.length > 8 ? data[8] : 9;
            const unit = protocol > 8 ? 4 : 1;
            socket.write(Buffer.concat([Buffer.from([20 / unit, 2, 0, protocol]),
                                        Buffer.from('0.9\\0\\0\\0\\0\\0bench\\0\\0\\0', 'latin1')]));
        });
    });
    server.listen(0, '127.0.0.1', () => parentPort.postMessage(server.address().port));`, { eval: true });
const port = await new Promise((resolve) => standIn.once('message', resolve));

// The fastest of runs timings of repeat calls, per call, in microseconds.
function bestOf(runs, repeat, work) {
    let best = Infinity;
    for (let r = 0; r < runs; ++r) {
        const start = process.hrtime.bigint();
        for (let i = 0; i < repeat; ++i) work(i);
        best = Math.min(best, Number(process.hrtime.bigint() - start) / repeat / 1e3);
    }
    return best;
}

const board = kvdui.Layout.fromText(layout256());
const sim = kvdui.connect({ port, name: 'bench' });
const values = { v: '1' };
const show = bestOf(5, 2000, () => sim.show(board, values));
const set = bestOf(5, 20000, (i) => sim.set(board, 'v', String(i % 2)));
sim.close();
await standIn.terminate();
console.log(`node show of 256: ${show.toFixed(1)} us`);
console.log(`node set of one of 256: ${set.toFixed(2)} us`);
