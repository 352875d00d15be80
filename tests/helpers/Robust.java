// A Java application that behaves the way real ones do at the edges, for the
// end-to-end runs of the launch (tests/e2e/robust.sh):
//   Robust link ARCHIVE TARGET  next to ARCHIVE: "outside", a link to TARGET,
//                               and "sub/up", a link back to that folder
//   Robust flood MB             MB megabytes of 64-byte lines on standard
//                               output, then the line "flood done"
//   Robust outlive MARKER MB    writes MARKER.started, waits for MARKER.go,
//                               writes MB megabytes to standard output, then
//                               MARKER.done
//   Robust props NAME...        prints name=value for each system property
//                               and cp.count=<class path entries>
import java.io.BufferedOutputStream;
import java.io.File;
import java.io.FileDescriptor;
import java.io.FileOutputStream;
import java.io.OutputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Arrays;

public class Robust {
    private static void lines(long megabytes) throws Exception {
        OutputStream out = new BufferedOutputStream(new FileOutputStream(FileDescriptor.out), 1 << 16);
        byte[] line = new byte[64];
        Arrays.fill(line, (byte) 'x');
        line[63] = '\n';
        for (long i = 0, n = megabytes << 14; i < n; ++i) out.write(line);
        out.flush();
    }

    public static void main(String[] args) throws Exception {
        switch (args[0]) {
        case "link": {
            Path dir = Paths.get(args[1]).toAbsolutePath().getParent();
            Files.createSymbolicLink(dir.resolve("outside"), Paths.get(args[2]));
            Files.createDirectories(dir.resolve("sub"));
            Files.createSymbolicLink(dir.resolve("sub").resolve("up"), dir);
            break;
        }
        case "flood":
            lines(Long.parseLong(args[1]));
            System.out.println("flood done");
            break;
        case "outlive": {
            Files.write(Paths.get(args[1] + ".started"), new byte[0]);
            Path go = Paths.get(args[1] + ".go");
            while (!Files.exists(go)) Thread.sleep(100);
            lines(Long.parseLong(args[2]));
            Files.write(Paths.get(args[1] + ".done"), new byte[0]);
            break;
        }
        case "props":
            for (int i = 1; i < args.length; ++i) System.out.println(args[i] + "=" + System.getProperty(args[i]));
            System.out.println("cp.count=" + System.getProperty("java.class.path").split(File.pathSeparator).length);
            break;
        default:
            System.exit(2);
        }
    }
}
