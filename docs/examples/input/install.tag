ACTION: INSTALL_JVM
INSTALL_JVM_EXE: C:\Downloads\jre-setup.exe
INSTALL_JVM_DEST: C:\Program Files\Sample\jre
