// The conformance session in C# (see session.c for what it prints); KvduiException's code is each row's.
using System;
using System.Collections.Generic;
using Korvadia.Kvdui;

static class Session
{
    static int CodeOf(Action call)
    {
        try { call(); }
        catch (KvduiException e) { return e.Code; }
        return 0;
    }

    static int Main(string[] args)
    {
        if (args.Length < 3)
            return 2;
        int port = int.Parse(args[1]);
        var values = new Dictionary<string, string> { { "lap", "12" }, { "laps", "57" } };
        using (var board = Layout.Open(args[0]))
        {
            using (var sim = Kvdui.Connect(port: port, name: "conformance"))
            {
                Console.WriteLine("show " + sim.Show(board, values));
                Console.WriteLine("set " + sim.Set(board, "lap", "13"));
                for (int i = 0; i < 2; ++i)
                {
                    var e = sim.WaitEvent(TimeSpan.FromSeconds(10));
                    if (e != null)
                        Console.WriteLine(e);
                }
                Console.WriteLine("hide " + sim.Hide(board));
                var last = sim.WaitEvent(TimeSpan.FromSeconds(10));
                if (last != null)
                    Console.WriteLine(last);
                Console.WriteLine("closed " + CodeOf(() => sim.Show(board, values)));
            }
            using (var sim = Kvdui.Connect(port: port, name: "conformance"))
            {
                Console.WriteLine("unknown-name " + CodeOf(() => board.Id("fuel")));
                // A dictionary cannot be odd; the list the C interface takes can.
                Console.WriteLine("odd-values " + CodeOf(() => sim.ShowList(board, new List<byte[]> { new byte[] { (byte)'l', 0 } }, 0, 0)));
            }
            Console.WriteLine("bad-file " + CodeOf(() => Layout.Open(args[2])));
            Console.WriteLine("no-simulator " + CodeOf(() => Kvdui.Connect(port: 1, timeout: TimeSpan.FromSeconds(2))));
        }
        return 0;
    }
}
