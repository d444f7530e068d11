#!/bin/sh
# What `velmar --help` would print: the desktop console takes no options but its option word,
# so help2man reads its manual page from here. Keep it in step with app/OptionWord.cpp.
cat <<'TEXT'
Usage: velmar [telnet | xy | zel]
The desktop console for networked audio I/O frames: it finds the frames on the local
networks, connects to one at a time, shows its clock, power and fan state, and routes its
channels.

Option words (one at most, exactly as written):
  telnet     connect frames on the Telnet port (23) instead of 10003; implies xy and zel
  xy         the device menu offers "X-Y control ..."
  zel        the device menu offers level detectors, PPM streams and IP routing (Dante
             frames); the channel windows of LV16 and LW16 frames start at channel 1

Environment:
  VELMAR_INTERFACES      interfaces that discovery broadcasts on (comma-separated; default all)
  VELMAR_ECHO_PORT       a frame's UDP port (default 10002)
  VELMAR_DISCOVERY_PORT  the console's UDP port for discovery answers (default 10004)
  VELMAR_TCP_PORT        a frame's TCP port in application mode (default 10003)
  VELMAR_TELNET_PORT     a frame's TCP port in recovery mode, mode 2 or with telnet (default 23)

Frames added by address are kept in ~/.config/Velmar/Velmar.ini. See also velmar-cli(1) and
velmar-sim(1).
TEXT
