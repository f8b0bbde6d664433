// What the C# binding costs over C: a show of 256 buttons and one set through Kvdui.dll (P/Invoke), against a
// loopback stand-in (tests/bindings/StandIn.cs) that answers the initialise packet and drops the rest; compare with
// bench_runtime's BM_RuntimeShow256 and BM_RuntimeSet1of256, which show the same layout through C.
//
//   mcs -r:build/bindings/dotnet/Kvdui.dll -out:build/bindings/dotnet/bench_dotnet.exe bench/bench_dotnet.cs \
//       tests/bindings/StandIn.cs
//   mono build/bindings/dotnet/bench_dotnet.exe
using System;
using System.Collections.Generic;
using System.Diagnostics;
using System.Text;
using Korvadia.Kvdui;

static class BenchDotnet
{
    static string Layout256()
    {
        var xml = new StringBuilder("<?xml version=\"1.0\"?>\n<ui>\n");
        for (int i = 0; i < 256; ++i)
        {
            int left = (i % 16) * 24, top = (i / 16) * 24;
            string text = i == 0 ? "Lap {v}" : "Button " + i;
            xml.Append($"  <element type=\"TKvdUIButton\" align=\"0\" anchors=\"akLeft,akTop\" rel_left=\"{left}\" " +
                       $"rel_top=\"{top}\" width=\"22\" height=\"22\" id=\"{i}\" text=\"{text}\" typein=\"0\" " +
                       $"bstyle=\"40\" left=\"{left}\" top=\"{top}\"/>\n");
        }
        return xml.Append("</ui>\n").ToString();
    }

    // The fastest of five timings of repeat calls, per call, in microseconds.
    static double BestOf(int repeat, Action work)
    {
        double best = double.MaxValue;
        for (int run = 0; run < 5; ++run)
        {
            var watch = Stopwatch.StartNew();
            for (int i = 0; i < repeat; ++i)
                work();
            best = Math.Min(best, watch.Elapsed.TotalMilliseconds * 1000 / repeat);
        }
        return best;
    }

    static void Main()
    {
        using (var board = Layout.FromText(Layout256()))
        using (var sim = Kvdui.Connect(port: LoopbackStandIn.Start(), name: "bench"))
        {
            var values = new Dictionary<string, string> { { "v", "1" } };
            double show = BestOf(2000, () => sim.Show(board, values));
            int lap = 0;
            double set = BestOf(20000, () => sim.Set(board, "v", (++lap % 2).ToString()));
            Console.WriteLine($"C# show of 256: {show:F1} us");
            Console.WriteLine($"C# set of one of 256: {set:F2} us");
        }
    }
}
