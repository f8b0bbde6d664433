// The C# binding's own checks, beside the conformance session: objects used after Dispose throw instead of
// crashing, a layout the program lets go while it is shown stays usable for the client, and text with
// non-ASCII characters goes through, at the loopback stand-in of StandIn.cs. Exit status 0 when every check holds.
using System;
using System.Collections.Generic;
using System.IO;
using System.Text;
using System.Threading;
using Korvadia.Kvdui;

static class TestDotnet
{
    static int failures;

    static void Check(bool condition, string what)
    {
        if (condition)
            return;
        ++failures;
        Console.Error.WriteLine("FAIL: " + what);
    }

    static int CodeOf(Action call)
    {
        try { call(); }
        catch (KvduiException e) { return e.Code; }
        return 0;
    }

    static readonly MemoryStream received = new MemoryStream();

    static int Main(string[] args)
    {
        string layoutFile = args[0];
        var disposed = Layout.Open(layoutFile);
        Check(disposed.Id("fuel_plus") == 3 && disposed.Name(8) == "driver" && disposed.Count == 9, "names and IDs");
        disposed.Dispose();
        disposed.Dispose(); // twice is harmless
        Check(CodeOf(() => disposed.Id("fuel_plus")) == ErrorCode.Argument, "a disposed layout throws");
        Check(CodeOf(() => Layout.FromText("<ui><element id='4'/><element id='4'/></ui>")) == ErrorCode.Layout,
              "IDs used twice");

        var sim = Kvdui.Connect(port: LoopbackStandIn.Start(received), name: "dotnet test");
        var shown = Layout.Open(layoutFile);
        Check(sim.Show(shown, new Dictionary<string, string> { { "lap", "Zwölf" }, { "laps", "57" } }) == 9, "show");
        // The program lets go of the shown layout; the client keeps what it needs.
        shown.Dispose();
        GC.Collect();
        GC.WaitForPendingFinalizers();
        Check(CodeOf(() => sim.Set(shown, "lap", "13")) == ErrorCode.Argument, "a disposed layout is refused");
        Check(sim.PollEvent() == null, "no event waits");
        // The lap counter's packet carries the text as the builder sends it ("Zw" then the umlaut's bytes).
        Thread.Sleep(300);
        byte[] bytes;
        lock (received)
            bytes = received.ToArray();
        Check(Encoding.GetEncoding("ISO-8859-1").GetString(bytes).Contains("Lap Zw"), "the lap counter's text arrived");
        sim.Dispose();
        sim.Dispose();
        Check(CodeOf(() => sim.PollEvent()) == ErrorCode.Disconnected, "a disposed client throws");
        Check(CodeOf(() => Kvdui.Connect(port: 1, timeout: TimeSpan.FromSeconds(2))) == ErrorCode.Connect,
              "no simulator");
        Console.WriteLine(failures == 0 ? "all checks hold" : failures + " checks failed");
        return failures == 0 ? 0 : 1;
    }
}
