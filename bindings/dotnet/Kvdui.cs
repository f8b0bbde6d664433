// Show Korvadia UI Builder layouts from C#: a thin binding over the runtime library libkvdui and its C
// interface <kvdui/kvdui.h>, so a program sends exactly the packets the builder and a C program send.
// Written for .NET Standard 2.0 in C# 7, so that it runs on .NET and on Mono.
//
//     using Korvadia.Kvdui;
//     using (var board = Layout.Open("pit-stop.kvdui"))
//     using (var sim = Kvdui.Connect(port: 29999, name: "Pit wall"))
//     {
//         sim.Show(board, new Dictionary<string, string> { { "lap", "12" }, { "laps", "57" } });
//         sim.Set(board, "lap", "13");          // sends only the buttons whose text changes
//         var e = sim.WaitEvent(TimeSpan.FromSeconds(2)); // null when the time runs out
//         sim.Hide(board);
//     }
//
// Every failure throws KvduiException with the C interface's code. A Client is used by one thread at a time.

using System;
using System.Collections.Generic;
using System.IO;
using System.Runtime.CompilerServices;
using System.Runtime.InteropServices;
using System.Text;

// The conformance suite passes an odd value list, which the public API cannot express.
[assembly: InternalsVisibleTo("session")]

namespace Korvadia.Kvdui
{
    /// <summary>The error codes of kvdui.h.</summary>
    public static class ErrorCode
    {
        public const int Ok = 0, Argument = 1, Encoding = 2, File = 3, Layout = 4, Name = 5, Overlap = 6,
                         NotShown = 7, Connect = 8, Disconnected = 9, Send = 10, Internal = 11;
    }

    /// <summary>A failed call: Code is one of ErrorCode, Message says what went wrong.</summary>
    public sealed class KvduiException : Exception
    {
        public int Code { get; }
        public KvduiException(int code, string message) : base(message) { Code = code; }
    }

    /// <summary>A click, typed text or the end of the connection.</summary>
    public abstract class Event { }

    public sealed class ClickEvent : Event
    {
        public const int Left = 1, Right = 2, Ctrl = 4, Shift = 8;
        public int Id { get; }
        public string Name { get; } // "" when the element has none
        public int Flags { get; }
        public ClickEvent(int id, string name, int flags) { Id = id; Name = name; Flags = flags; }
        public override string ToString() => $"click {Id} {Name} {Flags}";
    }

    public sealed class TextEvent : Event
    {
        public int Id { get; }
        public string Name { get; }
        public string Text { get; }
        public TextEvent(int id, string name, string text) { Id = id; Name = name; Text = text; }
        public override string ToString() => $"text {Id} {Name} {Text}";
    }

    public sealed class DisconnectedEvent : Event
    {
        public string Reason { get; }
        public DisconnectedEvent(string reason) { Reason = reason; }
        public override string ToString() => "disconnected";
    }

    internal static class Native
    {
        // kvdui.dll on Windows; on Mono, Kvdui.dll.config maps it to libkvdui.so.1, which Mono looks for beside
        // this assembly first: the install puts a link to the library there (PREFIX/lib/kvdui/dotnet).
        const string Lib = "kvdui";

        [StructLayout(LayoutKind.Sequential)]
        internal struct Error
        {
            public int Code;
            [MarshalAs(UnmanagedType.ByValArray, SizeConst = 512)] public byte[] Message;
        }

        [StructLayout(LayoutKind.Sequential)]
        internal struct EventData
        {
            public int Kind;
            public int Id;
            public IntPtr Name;
            public int Flags;
            public IntPtr Text;
            public IntPtr Layout;
        }

        [DllImport(Lib)] internal static extern IntPtr kvdui_version();
        [DllImport(Lib)] internal static extern IntPtr kvdui_layout_open(byte[] path, ref Error err);
        [DllImport(Lib)] internal static extern IntPtr kvdui_layout_from_text(byte[] text, UIntPtr length, ref Error err);
        [DllImport(Lib)] internal static extern void kvdui_layout_free(IntPtr layout);
        [DllImport(Lib)] internal static extern int kvdui_layout_count(IntPtr layout);
        [DllImport(Lib)] internal static extern int kvdui_layout_id(IntPtr layout, byte[] name);
        [DllImport(Lib)] internal static extern IntPtr kvdui_layout_name(IntPtr layout, int id);
        [DllImport(Lib)] internal static extern IntPtr kvdui_connect(IntPtr options, ref Error err);
        [DllImport(Lib)] internal static extern void kvdui_close(IntPtr client);
        [DllImport(Lib)] internal static extern int kvdui_show_at(IntPtr c, IntPtr l, IntPtr[] values, int target, int offset, ref Error err);
        [DllImport(Lib)] internal static extern int kvdui_set(IntPtr c, IntPtr l, byte[] name, byte[] value, ref Error err);
        [DllImport(Lib)] internal static extern int kvdui_hide(IntPtr c, IntPtr l, ref Error err);
        [DllImport(Lib)] internal static extern int kvdui_wait_event(IntPtr c, ref EventData e, int timeoutMs, ref Error err);
        [DllImport(Lib)] internal static extern int kvdui_poll_event(IntPtr c, ref EventData e, ref Error err);

        internal static Error NewError() => new Error { Message = new byte[512] };

        internal static byte[] Utf8(string text, string what)
        {
            if (text == null)
                throw new KvduiException(ErrorCode.Argument, what + " is null");
            try
            {
                var bytes = new UTF8Encoding(false, true).GetBytes(text);
                var z = new byte[bytes.Length + 1];
                Buffer.BlockCopy(bytes, 0, z, 0, bytes.Length);
                return z;
            }
            catch (EncoderFallbackException)
            {
                throw new KvduiException(ErrorCode.Encoding, what + " is not valid UTF-8 text");
            }
        }

        internal static string Text(IntPtr utf8)
        {
            if (utf8 == IntPtr.Zero)
                return "";
            int length = 0;
            while (Marshal.ReadByte(utf8, length) != 0)
                ++length;
            var bytes = new byte[length];
            Marshal.Copy(utf8, bytes, 0, length);
            return Encoding.UTF8.GetString(bytes);
        }

        internal static KvduiException Failure(Error err)
        {
            int length = Array.IndexOf(err.Message, (byte)0);
            return new KvduiException(err.Code, Encoding.UTF8.GetString(err.Message, 0, length < 0 ? err.Message.Length : length));
        }
    }

    /// <summary>A layout read once into the buttons it shows. Dispose frees it; clients that show it keep what
    /// they need until they hide it or close.</summary>
    public sealed class Layout : IDisposable
    {
        IntPtr handle;
        Layout(IntPtr h) { handle = h; }

        /// <summary>Reads a .kvdui file; throws with ErrorCode.File or ErrorCode.Layout.</summary>
        public static Layout Open(string path)
        {
            var err = Native.NewError();
            var h = Native.kvdui_layout_open(Native.Utf8(path, "the file name"), ref err);
            if (h == IntPtr.Zero)
                throw Native.Failure(err);
            return new Layout(h);
        }

        /// <summary>Reads layout text, such as kvdui gen --embed's; throws with ErrorCode.Layout.</summary>
        public static Layout FromText(string text)
        {
            var bytes = Native.Utf8(text, "the layout text");
            var err = Native.NewError();
            var h = Native.kvdui_layout_from_text(bytes, (UIntPtr)(bytes.Length - 1), ref err);
            if (h == IntPtr.Zero)
                throw Native.Failure(err);
            return new Layout(h);
        }

        internal IntPtr Handle
        {
            get
            {
                if (handle == IntPtr.Zero)
                    throw new KvduiException(ErrorCode.Argument, "the layout has been disposed");
                return handle;
            }
        }

        /// <summary>The number of elements.</summary>
        public int Count => Native.kvdui_layout_count(Handle);

        /// <summary>The ID of the element of that name; throws with ErrorCode.Name when none has it.</summary>
        public int Id(string name)
        {
            int id = Native.kvdui_layout_id(Handle, Native.Utf8(name, "the name"));
            if (id < 0)
                throw new KvduiException(ErrorCode.Name, "No element of the layout is named " + name);
            return id;
        }

        /// <summary>The name of the element with that ID; "" for none.</summary>
        public string Name(int id) => Native.Text(Native.kvdui_layout_name(Handle, id));

        public void Dispose()
        {
            if (handle != IntPtr.Zero)
                Native.kvdui_layout_free(handle);
            handle = IntPtr.Zero;
            GC.SuppressFinalize(this);
        }

        ~Layout()
        {
            if (handle != IntPtr.Zero)
                Native.kvdui_layout_free(handle);
        }
    }

    /// <summary>One connection to the simulator. Dispose deletes its buttons and closes it; the library answers
    /// keep-alives itself, so a busy program stays connected.</summary>
    public sealed class Client : IDisposable
    {
        IntPtr handle;
        internal Client(IntPtr h) { handle = h; }

        IntPtr Handle
        {
            get
            {
                if (handle == IntPtr.Zero)
                    throw new KvduiException(ErrorCode.Disconnected, "the client has been disposed");
                return handle;
            }
        }

        /// <summary>Shows the layout with its placeholders filled in to target (0: the connection's own screen),
        /// its IDs moved up by offset; returns the packets sent. Throws with ErrorCode.Overlap, Send or
        /// Disconnected.</summary>
        public int Show(Layout layout, IDictionary<string, string> values = null, int target = 0, int offset = 0)
        {
            var texts = new List<byte[]>();
            if (values != null)
                foreach (var pair in values)
                {
                    texts.Add(Native.Utf8(pair.Key, "a placeholder name"));
                    texts.Add(Native.Utf8(pair.Value, "the value of " + pair.Key));
                }
            return ShowList(layout, texts, target, offset);
        }

        // The values as the C interface takes them: name, value, ..., NULL (an odd list is its caller's).
        internal int ShowList(Layout layout, List<byte[]> texts, int target, int offset)
        {
            var pins = new List<GCHandle>();
            try
            {
                var array = new IntPtr[texts.Count + 1];
                for (int i = 0; i < texts.Count; ++i)
                {
                    var pin = GCHandle.Alloc(texts[i], GCHandleType.Pinned);
                    pins.Add(pin);
                    array[i] = pin.AddrOfPinnedObject();
                }
                var err = Native.NewError();
                int sent = Native.kvdui_show_at(Handle, layout.Handle, array, target, offset, ref err);
                if (sent < 0)
                    throw Native.Failure(err);
                return sent;
            }
            finally
            {
                foreach (var pin in pins)
                    pin.Free();
            }
        }

        /// <summary>Changes one placeholder wherever the layout is shown and sends only the buttons whose text
        /// changes; throws with ErrorCode.Name or NotShown.</summary>
        public int Set(Layout layout, string name, string value)
        {
            var err = Native.NewError();
            int sent = Native.kvdui_set(Handle, layout.Handle, Native.Utf8(name, "the placeholder name"),
                                        Native.Utf8(value, "the value"), ref err);
            if (sent < 0)
                throw Native.Failure(err);
            return sent;
        }

        /// <summary>Deletes the layout's buttons wherever it is shown; returns the packets sent.</summary>
        public int Hide(Layout layout)
        {
            var err = Native.NewError();
            int sent = Native.kvdui_hide(Handle, layout.Handle, ref err);
            if (sent < 0)
                throw Native.Failure(err);
            return sent;
        }

        Event Make(int got, Native.EventData e, Native.Error err)
        {
            if (got < 0)
                throw Native.Failure(err);
            if (got == 0)
                return null;
            if (e.Kind == 1)
                return new ClickEvent(e.Id, Native.Text(e.Name), e.Flags);
            if (e.Kind == 2)
                return new TextEvent(e.Id, Native.Text(e.Name), Native.Text(e.Text));
            return new DisconnectedEvent(Native.Text(e.Text));
        }

        /// <summary>The next event, or null when the time runs out; arrives only in the calling thread.</summary>
        public Event WaitEvent(TimeSpan timeout)
        {
            var e = new Native.EventData();
            var err = Native.NewError();
            int ms = timeout < TimeSpan.Zero ? -1 : (int)Math.Min(int.MaxValue, timeout.TotalMilliseconds);
            return Make(Native.kvdui_wait_event(Handle, ref e, ms, ref err), e, err);
        }

        /// <summary>An event that has arrived already, or null at once.</summary>
        public Event PollEvent()
        {
            var e = new Native.EventData();
            var err = Native.NewError();
            return Make(Native.kvdui_poll_event(Handle, ref e, ref err), e, err);
        }

        public void Dispose()
        {
            if (handle != IntPtr.Zero)
                Native.kvdui_close(handle);
            handle = IntPtr.Zero;
            GC.SuppressFinalize(this);
        }

        ~Client()
        {
            if (handle != IntPtr.Zero)
                Native.kvdui_close(handle);
        }
    }

    public static class Kvdui
    {
        // The text as a pinned UTF-8 string for the C side (IntPtr.Zero for null), freed with the others.
        static IntPtr Pin(List<GCHandle> pins, string text, string what)
        {
            if (text == null)
                return IntPtr.Zero;
            var pin = GCHandle.Alloc(Native.Utf8(text, what), GCHandleType.Pinned);
            pins.Add(pin);
            return pin.AddrOfPinnedObject();
        }

        /// <summary>The loaded library's version, such as "1.0.0".</summary>
        public static string Version
        {
            get
            {
                    return Native.Text(Native.kvdui_version());
            }
        }

        /// <summary>Connects to the simulator (127.0.0.1 and 29999 when not given) and waits for its answer;
        /// throws with ErrorCode.Connect when it is absent, refuses or does not answer in time.</summary>
        public static Client Connect(string address = null, int port = 0, string name = null, string password = null,
                                     TimeSpan? timeout = null)
        {
            var texts = new List<GCHandle>();
            // kvdui_options: address, port, program_name, admin_password, timeout_ms, as C lays them out.
            int size = IntPtr.Size * 4 + 8;
            IntPtr options = Marshal.AllocHGlobal(size);
            try
            {
                for (int i = 0; i < size; ++i)
                    Marshal.WriteByte(options, i, 0);
                int pointer = IntPtr.Size;
                Marshal.WriteIntPtr(options, 0, Pin(texts, address, "the address"));
                Marshal.WriteInt32(options, pointer, port);
                Marshal.WriteIntPtr(options, pointer * 2, Pin(texts, name, "the program name"));
                Marshal.WriteIntPtr(options, pointer * 3, Pin(texts, password, "the password"));
                Marshal.WriteInt32(options, pointer * 4,
                                   (int)Math.Max(1, (timeout ?? TimeSpan.FromSeconds(5)).TotalMilliseconds));
                var err = Native.NewError();
                var h = Native.kvdui_connect(options, ref err);
                if (h == IntPtr.Zero)
                    throw Native.Failure(err);
                return new Client(h);
            }
            finally
            {
                Marshal.FreeHGlobal(options);
                foreach (var pin in texts)
                    pin.Free();
            }
        }
    }
}
