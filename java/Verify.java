// The class a candidate JVM runs to prove it is a working JVM and to report
// the system properties the launcher asks for. Its output is a protocol: the
// magic line, then one line per argument with that property's value, or the
// text null when the property is not set. It prints nothing else, so that
// the launcher can read the lines back by position. Kept in the default
// package and free of anything newer than Java 1.1 so that very old JVMs can
// run it as well.
public class Verify {
    public static void main(String[] args) {
        StringBuffer out = new StringBuffer();
        out.append("1739021872").append('\n');
        for (int i = 0; i < args.length; i++) {
            // String.valueOf prints an unset property (null) as "null".
            out.append(String.valueOf(System.getProperty(args[i]))).append('\n');
        }
        // One write: the launcher reads the pipe only after the JVM ends, and a
        // single buffered write keeps partial lines out of its captured text.
        System.out.print(out.toString());
        System.out.flush();
    }
}
