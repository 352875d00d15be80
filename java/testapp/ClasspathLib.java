import java.io.File;

// The library half of the two-archive stand-in application (ClasspathApp).
public class ClasspathLib {
    public static String describe() throws Exception {
        File archive = new File(ClasspathLib.class.getProtectionDomain().getCodeSource().getLocation().toURI());
        return "ClasspathLib from " + archive.getName();
    }
}
