"""Entry point of the data generator, called by scripts/make-data.sh:

    make_data.py images OUT_FOLDER SCRATCH_FOLDER   every picture under data/images
    make_data.py icons OUT_FOLDER                   the desktop icons under data/icons
    make_data.py music NAME OUT.wav                 one music track, before reverb
    make_data.py tracks                             the names of the music tracks
    make_data.py waves OUT.wav                      the sea-waves loop
"""

import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import chart  # noqa: E402
import seascape  # noqa: E402
import sound  # noqa: E402
import ui  # noqa: E402


def main(argv):
    command = argv[1]
    if command == "images":
        folder, scratch = argv[2], argv[3]
        os.makedirs(folder, exist_ok=True)
        ui.make_all(folder)
        chart.make_all(folder)
        seascape.sea_texture(folder)
        seascape.background(folder, scratch)
    elif command == "icons":
        ui.desktop_icons(argv[2])
    elif command == "music":
        sound.music(argv[2], argv[3])
    elif command == "tracks":
        print("\n".join(sound.TRACKS))
    elif command == "waves":
        sound.waves(argv[2])
    else:
        raise SystemExit(f"unknown command {command}")


if __name__ == "__main__":
    main(sys.argv)
