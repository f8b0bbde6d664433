// Calls the types must refuse: each line below is an error for tsc.
import * as kvdui from 'kvdui';

const board = kvdui.Layout.open('pit-stop.kvdui');
const sim = kvdui.connect({ port: '29999' });
sim.show(board, { lap: 12 });
sim.set(board, 'lap');
const id: string = board.id('fuel_plus');
sim.waitEvent('soon');
