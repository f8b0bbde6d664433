// A loopback stand-in for the C# tests and the C# benchmark: accepts one connection, answers its initialise
// packet with a version packet and then takes in everything, writing it to record when one is given.
using System.IO;
using System.Net;
using System.Net.Sockets;
using System.Threading;

static class LoopbackStandIn
{
    // Listens on 127.0.0.1 and returns the port; the stand-in serves on a background thread.
    public static int Start(MemoryStream record = null)
    {
        var listener = new TcpListener(IPAddress.Loopback, 0);
        listener.Start();
        new Thread(() => Serve(listener, record)) { IsBackground = true }.Start();
        return ((IPEndPoint)listener.LocalEndpoint).Port;
    }

    static void Serve(TcpListener listener, MemoryStream record)
    {
        using (var client = listener.AcceptTcpClient())
        using (var stream = client.GetStream())
        {
            var buffer = new byte[1 << 16];
            int got = stream.Read(buffer, 0, buffer.Length);
            byte protocol = got > 8 ? buffer[8] : (byte)9; // the initialise packet's protocol version
            var version = new byte[20];
            version[0] = (byte)(20 / (protocol > 8 ? 4 : 1)); // the size byte counts 4-byte units from 9 on
            version[1] = 2;                                   // version packet
            version[3] = protocol;
            stream.Write(version, 0, version.Length);
            while ((got = stream.Read(buffer, 0, buffer.Length)) > 0)
                if (record != null)
                    lock (record)
                        record.Write(buffer, 0, got);
        }
    }
}
