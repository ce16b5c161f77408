// The text of quadrel-sim --help.
#include "sim_options.h"

namespace quadrel::sim {

std::string helpText() {
    return R"(Usage: quadrel-sim [OPTION]...
Plays the part of a serial PPM interface: sends frames of channel values that
follow smooth stick movements, for Quadrel (or any reader) to receive.

By default it creates a pseudo-terminal, prints the path of its device side
on the first line of standard output, and streams standard frames into it at
the pace of a real interface until it is stopped (Ctrl+C, SIGTERM). In a
bash script:
    exec 3< <(exec quadrel-sim --quiet); SIM=$!
    read -r PTY <&3          # e.g. /dev/pts/5: point the reader at it
    ...
    kill $SIM

Output
  --output pty|stdout|file:PATH|device:PATH
        where the bytes go (default pty).  e.g. --output device:/dev/ttyUSB0
        A pty with no reader is fed nothing; the stream goes on regardless.
  --line BAUD,PARITY,DATA,STOP
        serial line settings (default 19200,N,8,1): they set the pace, and
        a device is configured with them.  Parity N, E, O, M or S; 5 to 8
        data bits; 1, 1.5 or 2 stop bits.  e.g. --line 9600,E,8,2
  --baud N
        the baud rate alone.  e.g. --baud 115200
  --parity P
        the parity alone: N, E, O, M or S.  e.g. --baud 9600 --parity E

Frames
  --format standard|variant|zhenhua
        standard: 255, then one byte per channel (default);
        variant:  a sync of 240..254, a byte the receiver skips, channels;
        zhenhua:  the Zhen Hua cable: 239, four channels with their bits
                  mirrored, then filler bytes.  e.g. --format zhenhua
  --channels N
        channels per standard or variant frame, 1 to 8 (default 8).
        e.g. --channels 4
  --sync N
        the sync byte of variant frames, 240 to 254 (default 245).
        e.g. --format variant --sync 250
  --filler N
        filler bytes after a Zhen Hua frame's channels (default 4; the
        cable itself sends none: 0, or 4 and more, and every frame is
        decoded, 1 to 3 lose every other one).  e.g. --filler 0
  --travel LOW,HIGH
        the values the channels move between (default 40,220, a typical
        interface's range).  At most 254 for standard, 239 for variant and
        238 for Zhen Hua frames.  Values of 239 and more are legal channel
        values but are taken for a sync when they reach the receiver's
        oldest byte, which decodes a spurious frame.  e.g. --travel 0,254

Motion
  --motion sweep|circle|centre|mixed
        sweep: every channel swings end to end at its own pace; circle: both
        sticks stir circles; centre: all still in the middle; mixed: five
        seconds of each in turn (default).  e.g. --motion circle
  --seed N
        the same seed gives the same stream every time (default: a new
        seed each run, shown on standard error).  e.g. --seed 42

Pace
  --frame-period MS
        time from one frame to the next (default 22.5, a typical PPM
        frame); a frame longer than that on the line follows the previous
        one at once; 0 sends frames back to back.  e.g. --frame-period 20
  --frame-rate HZ
        frames a second instead.  e.g. --frame-rate 50
  --fast
        as fast as the reader takes the bytes.  e.g. --fast --count 1000

Faults
  --noise RATE
        random bytes inserted, per byte sent (0 to 1).  e.g. --noise 0.01
  --drop RATE
        share of bytes lost (0 to 0.99).  e.g. --drop 0.02
  --gap-every SECONDS
        after every SECONDS of sending, a silence (the receiver shows its
        no-signal state after half a second).  e.g. --gap-every 5
  --gap-length MS
        how long that silence lasts (default 1000).  e.g. --gap-length 800
  --silence SECONDS[:EVERY]
        the same in seconds: after every EVERY seconds of sending (default
        5), SECONDS of silence.  e.g. --silence 3:10
  --jitter MS
        each frame period off by up to MS either way, as from a loose plug
        or a noisy signal.  e.g. --jitter 10
  --glitch CHANNEL[:PER_SECOND]
        now and then (default once a second) one frame carries a value 64
        away on that channel, the frames either side agreeing.
        e.g. --glitch 3:2 --motion centre
  --burst BYTES[:PER_SECOND]
        now and then (default once a second) BYTES bytes that belong to no
        frame follow a frame, all below any sync value.  e.g. --burst 20
  --inverted
        send what a receiver reads from an inverted line (idle low): each
        byte becomes its bits on the line, start bit, data bits LSB first,
        parity, stop bits, with the levels swapped, and a UART reads them
        back, framing errors and breaks included.  e.g. --inverted
  --receiver-baud N
        send what a receiver set to N baud reads from this line's bits, as
        --inverted does.  e.g. --baud 19200 --receiver-baud 9600
  --receiver-parity P
        send what a receiver expecting parity P reads from this line's
        bits.  e.g. --parity E --receiver-parity N
  --switch-to FORMAT
        change to another frame format mid-stream.  e.g. --switch-to zhenhua
  --switch-after SECONDS|FRAMESf
        when to change (default 5 seconds).  e.g. --switch-after 2.5s,
        --switch-after 300f

Replay
  --replay FILE
        send a capture made by quadrel-probe --record with its own timing
        and line settings (unless --line or --baud is given), once; any
        other file is raw bytes, sent at the line's pace, frames back to
        back (their content, not their timing).  A regular file of at
        most 256 MiB, not empty.  e.g. --replay capture.txt
  --loop
        start the capture again at its end.  e.g. --replay capture.txt --loop

Stopping and messages
  --count FRAMES
        stop after this many frames.  e.g. --count 500
  --duration SECONDS
        stop after this much stream time.  e.g. --duration 10
  --quiet
        no summary line on standard error.
  --help, -h
        this text.
  --version
        the version.

Options may also be written --name=value.  Exit status: 0 when stopped or
done, 1 when the output cannot be opened or fails, 2 for a bad command line.
)";
}

}  // namespace quadrel::sim
