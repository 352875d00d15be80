import java.io.File;
import java.util.ArrayList;
import java.util.Collections;
import java.util.Enumeration;
import java.util.List;
import java.util.Properties;

// A stand-in application for launch tests: it reports what the launcher
// handed it, one "key=value" line each, so a test can compare the lines
// exactly. Unset values print as the text null.
//
//   args=<count>
//   arg.<i>=<argument i>                  for each argument
//   prop.<name>=<value>                   for each system property whose name
//                                         starts with "app." (sorted), then
//                                         each one named in the comma list of
//                                         the property printargs.props
//   classpath=<java.class.path>
//   cwd=<working directory, absolute>
//   JAVA_HOME=<environment variable>
//   CLASSPATH=<environment variable>
//   maxMemory=<Runtime.maxMemory() in bytes>   only with printargs.heap set
//
// With the system property printargs.out set, the lines go to that file
// instead of standard output (for launches without output capture).
public class PrintArgs {
    public static void main(String[] args) throws Exception {
        StringBuffer out = new StringBuffer();
        line(out, "args", String.valueOf(args.length));
        for (int i = 0; i < args.length; i++) {
            line(out, "arg." + i, args[i]);
        }

        Properties props = System.getProperties();
        List<String> names = new ArrayList<String>();
        for (Enumeration<?> e = props.propertyNames(); e.hasMoreElements();) {
            String name = (String) e.nextElement();
            if (name.startsWith("app.")) {
                names.add(name);
            }
        }
        Collections.sort(names);
        String chosen = System.getProperty("printargs.props");
        if (chosen != null) {
            String[] extra = chosen.split(",");
            for (int i = 0; i < extra.length; i++) {
                String name = extra[i].trim();
                if (name.length() > 0) {
                    names.add(name);
                }
            }
        }
        for (int i = 0; i < names.size(); i++) {
            String name = names.get(i);
            line(out, "prop." + name, System.getProperty(name));
        }

        line(out, "classpath", System.getProperty("java.class.path"));
        line(out, "cwd", new File(".").getCanonicalPath());
        line(out, "JAVA_HOME", System.getenv("JAVA_HOME"));
        line(out, "CLASSPATH", System.getenv("CLASSPATH"));
        if (System.getProperty("printargs.heap") != null) {
            line(out, "maxMemory", String.valueOf(Runtime.getRuntime().maxMemory()));
        }

        String target = System.getProperty("printargs.out");
        if (target != null && target.length() > 0) {
            java.io.FileOutputStream file = new java.io.FileOutputStream(target);
            try {
                file.write(out.toString().getBytes("UTF-8"));
            } finally {
                file.close();
            }
        } else {
            System.out.print(out.toString());
            System.out.flush();
        }
    }

    private static void line(StringBuffer out, String key, String value) {
        out.append(key).append('=').append(String.valueOf(value)).append('\n');
    }
}
