import java.awt.BorderLayout;
import java.awt.Font;
import java.awt.GraphicsEnvironment;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.SwingConstants;
import javax.swing.SwingUtilities;
import javax.swing.Timer;

/**
 * The sample application a Marrowgate launcher starts: it prints one line
 * with its arguments on standard output and shows a small window that closes
 * itself after a few seconds (sample.seconds, default 3), so that scripted
 * runs never wait for a user. Without a display, or with a JVM that has no
 * window toolkit, it only prints.
 */
public final class Sample {
    private Sample() {}

    public static void main(String[] args) throws Exception {
        StringBuilder line = new StringBuilder("Marrowgate sample running on Java ");
        line.append(System.getProperty("java.version"));
        line.append(" with ").append(args.length).append(args.length == 1 ? " argument" : " arguments");
        for (String arg : args) line.append(" [").append(arg).append(']');
        System.out.println(line);
        System.out.flush();

        int seconds = Integer.getInteger("sample.seconds", 3);
        if (seconds <= 0 || GraphicsEnvironment.isHeadless()) return;
        try {
            showWindow(seconds);
        } catch (Throwable e) {
            // A headless JVM build fails here rather than in isHeadless().
            System.out.println("Marrowgate sample: no window (" + e.getClass().getSimpleName() + ")");
        }
    }

    private static void showWindow(int seconds) throws Exception {
        SwingUtilities.invokeAndWait(() -> {
            JFrame frame = new JFrame("Marrowgate Sample");
            JLabel label = new JLabel("Hello from the Marrowgate sample", SwingConstants.CENTER);
            label.setFont(label.getFont().deriveFont(Font.BOLD, 16f));
            frame.getContentPane().add(label, BorderLayout.CENTER);
            frame.setDefaultCloseOperation(JFrame.DISPOSE_ON_CLOSE);
            frame.setSize(360, 140);
            frame.setLocationRelativeTo(null);
            frame.setVisible(true);
            Timer timer = new Timer(seconds * 1000, e -> frame.dispose());
            timer.setRepeats(false);
            timer.start();
        });
    }
}
