import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.util.Locale;

/**
 * The console sample a mglauncher-console.exe launcher starts: it reads one
 * line from standard input, prints it upper-cased on standard output and
 * ends with exit code 3, so a script can see that the launcher hands the
 * input, the output and the exit code through.
 */
public final class Upper {
    private Upper() {}

    public static void main(String[] args) throws IOException {
        BufferedReader in = new BufferedReader(new InputStreamReader(System.in));
        String line = in.readLine();
        if (line == null) {
            System.err.println("upper: no input");
            System.exit(2);
        }
        System.out.println(line.toUpperCase(Locale.ROOT));
        System.out.flush();
        System.exit(3);
    }
}
