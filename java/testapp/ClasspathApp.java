import java.io.File;

// The main class of a stand-in application whose code spans two class-path
// archives: it calls ClasspathLib, which lives in the other archive, and
// prints one line that names the archive each class was loaded from:
//   ClasspathApp from <archive> called ClasspathLib from <archive>
// A class path that lost either archive ends in NoClassDefFoundError or in
// "Could not find or load main class".
public class ClasspathApp {
    static String archiveOf(Class<?> type) throws Exception {
        return new File(type.getProtectionDomain().getCodeSource().getLocation().toURI()).getName();
    }

    public static void main(String[] args) throws Exception {
        System.out.println("ClasspathApp from " + archiveOf(ClasspathApp.class) + " called " + ClasspathLib.describe());
    }
}
