# The manual pages and the files a Debian package must carry, and the package itself:
# "cpack -G DEB" in the build folder (bash scripts/package.sh) makes jotpin_<version>_<arch>.deb.
include(GNUInstallDirs)

# Installed folders are rwxr-xr-x whatever the umask of the one who installs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# gzip -9n: no name nor time stamp inside, so the same source makes the same package.
function(jotpin_gzip source target)
    execute_process(COMMAND gzip -9n -c ${source} OUTPUT_FILE ${target} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# The manual page in Chinese, as the program speaks, and in English for an English locale.
set(man_source ${PROJECT_SOURCE_DIR}/resources/man)
set(man_build ${CMAKE_BINARY_DIR}/man)
foreach(page "jotpin.1.in|man1" "en/jotpin.1.in|en/man1")
    string(REPLACE "|" ";" page ${page})
    list(GET page 0 source)
    list(GET page 1 folder)
    configure_file(${man_source}/${source} ${man_build}/${folder}/jotpin.1 @ONLY)
    jotpin_gzip(${man_build}/${folder}/jotpin.1 ${man_build}/${folder}/jotpin.1.gz)
    install(FILES ${man_build}/${folder}/jotpin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${folder})
endforeach()

# The copyright and the changelog, where Debian looks for them.
set(doc_source ${PROJECT_SOURCE_DIR}/resources/debian)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${doc_source}/changelog)
jotpin_gzip(${doc_source}/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${doc_source}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/jotpin)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME jotpin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Jotpin developers")
set(CPACK_PACKAGE_CONTACT "Jotpin developers <dev@jotpin.app>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://jotpin.app/)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries it links, as dpkg-shlibdeps finds them, and what it loads at run time:
# Qt's plugins for the X server, for Wayland (the notes come up where there is no XWayland)
# and for the pictures, the GStreamer plugins that play the alarm
# sounds (wave, MP3, WMA, MIDI through fluidsynth with a General MIDI soundfont), the CJK font
# and Qt's Chinese texts for the dialogs' buttons.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS
    qt6-qpa-plugins qt6-wayland qt6-image-formats-plugins libqt6svg6
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
    gstreamer1.0-plugins-ugly gstreamer1.0-libav "timgm6mb-soundfont | sf2-soundfont-gm"
    fonts-noto-cjk qt6-translations-l10n)
# GNOME shows no tray without this extension; Jotpin runs without one all the same.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS gnome-shell-extension-appindicator)
# The first line is the synopsis; a line of its own with a dot parts paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[sticky notes on the desktop, with reminders
Jotpin lives as an icon in the system tray and shows any number of small
notes on the desktop. Each note has its own colour, opacity, size and place,
holds formatted text with bullets and small pictures, can stay above other
windows, hide, be locked behind a password, and carry a reminder that brings
it up, plays a sound and blinks its alarm icon. Every change is saved within
seconds. The user interface is Chinese.
.
Jotpin 住在系统托盘里，在桌面上显示任意多张小帖子。每张帖子有自己的
颜色、透明度、大小和位置，可以写带格式的文字、项目符号和小图标，可以
放在其他窗口前面、隐藏、用密码加锁，还可以定时提醒：到时间帖子出现在
最前面，播放声音，闹钟图标闪烁。每次改动几秒之内就保存。]=])

# lintian finds no error and no warning (the install test runs it). It tells, as information
# only: the help page lies outside /usr/share/doc because the program opens it from its data
# folder; the binary keeps its .comment section and is built without bindnow and fortified
# functions, which would take Debian's build flags for the whole build.
include(CPack)
