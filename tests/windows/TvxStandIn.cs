// Stands in for the product's console updater tvx.com in the acceptance run
// on real Windows (acceptance.ps1 compiles it there with Add-Type, C# 5 as
// the .NET Framework's own compiler takes it). Each start appends one line,
// "<process id><TAB><command line exactly as started>", to tvx.log beside it;
// then the k-th start does what line k of tvx.plan beside it says:
// "EXITCODE [SECONDS]", an unsigned exit code and how long to run first.
// A start without its line ends at once with 0.
using System;
using System.Diagnostics;
using System.IO;
using System.Text;
using System.Threading;

public static class TvxStandIn
{
    public static int Main()
    {
        string folder = AppDomain.CurrentDomain.BaseDirectory;
        string log = Path.Combine(folder, "tvx.log");
        string line = Process.GetCurrentProcess().Id + "\t" + Environment.CommandLine + "\r\n";
        File.AppendAllText(log, line, new UTF8Encoding(false));
        int start = File.ReadAllLines(log).Length;

        string plan = Path.Combine(folder, "tvx.plan");
        string[] steps = File.Exists(plan) ? File.ReadAllLines(plan) : new string[0];
        if (start > steps.Length) return 0;
        string[] words = steps[start - 1].Split(new char[] { ' ' }, StringSplitOptions.RemoveEmptyEntries);
        if (words.Length > 1) Thread.Sleep(int.Parse(words[1]) * 1000);
        return unchecked((int)uint.Parse(words[0]));
    }
}
