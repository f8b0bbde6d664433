// A TypeScript program as a user writes it against the kvdui types; it must check under --strict.
import * as kvdui from 'kvdui';

async function main(): Promise<void> {
    kvdui.load({ library: '/opt/kvdui/lib/libkvdui.so.1' });
    const board: kvdui.Layout = kvdui.Layout.open('pit-stop.kvdui');
    const fuel: number = board.id('fuel_plus');
    const name: string | null = board.name(fuel);
    const count: number = board.count;
    const sim: kvdui.Client = kvdui.connect({ port: 29999, name: 'Pit wall', timeoutMs: 2000 });
    const sent: number = sim.show(board, { lap: '12', laps: '57' }, { target: 0 });
    sim.show(board, new Map([['lap', '1']]));
    sim.show(board, ['lap', '1', 'laps', '57']);
    sim.set(board, 'lap', '13');
    sim.on('click', (e: kvdui.ClickEvent) => console.log(e.id, e.name, e.flags & kvdui.CLICK_LEFT));
    sim.on('text', (e: kvdui.TextEvent) => console.log(e.text));
    sim.on('disconnected', (e: kvdui.DisconnectedEvent) => console.log(e.reason));
    const event = await sim.waitEvent(2000);
    if (event && event.kind === 'click')
        console.log(event.flags);
    else if (event && event.kind === 'text')
        console.log(event.text);
    const polled: kvdui.Event | null = sim.pollEvent();
    try {
        sim.hide(board);
    } catch (error) {
        if (error instanceof kvdui.KvduiError && error.code === kvdui.ERR_NOT_SHOWN)
            console.log(error.message);
    }
    sim.close();
    board.close();
    console.log(sent, name, count, polled, kvdui.version());
}

main();
