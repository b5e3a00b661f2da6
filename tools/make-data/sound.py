"""Synthesised music tracks and the endless sea-waves loop, written as 16-bit WAV files.

Everything comes from seeded random generators, so the same WAV bytes come out of every
run; sox adds the room and oggenc encodes them (see make-data.sh).
"""

import wave

import numpy as np

RATE = 44100


def midi_hz(note):
    return 440.0 * 2 ** ((note - 69) / 12)


def envelope(n, attack, release, rate=RATE):
    env = np.ones(n)
    a = min(n, max(1, int(attack * rate)))
    r = min(n - a, max(1, int(release * rate)))
    env[:a] = np.linspace(0, 1, a) ** 2
    if r > 0:
        env[n - r:] *= np.linspace(1, 0, r) ** 2
    return env


def harp(freq, dur, t):
    """A plucked string: harmonics that die away faster the higher they are."""
    out = np.zeros_like(t)
    for k in range(1, 7):
        if freq * k > 9000:
            break
        out += np.sin(2 * np.pi * freq * k * t) * np.exp(-t * (1.2 + 1.1 * k)) / k ** 1.6
    return out * envelope(len(t), 0.004, 0.3)


def epiano(freq, dur, t):
    """A soft electric piano from two-operator FM with a fading modulation index."""
    index = 1.1 * np.exp(-t * 2.5) + 0.15
    tone = np.sin(2 * np.pi * freq * t + index * np.sin(2 * np.pi * freq * t))
    tine = 0.12 * np.sin(2 * np.pi * freq * 4.0 * t) * np.exp(-t * 7)
    return (tone * np.exp(-t * 0.9) + tine) * envelope(len(t), 0.006, min(0.5, dur / 2))


def bell(freq, dur, t):
    """A music-box bell with slightly inharmonic partials."""
    out = np.sin(2 * np.pi * freq * t) * np.exp(-t * 1.6)
    out += 0.35 * np.sin(2 * np.pi * freq * 2.76 * t) * np.exp(-t * 3.5)
    out += 0.15 * np.sin(2 * np.pi * freq * 5.4 * t) * np.exp(-t * 6)
    return out * envelope(len(t), 0.003, 0.4)


def flute(freq, dur, t):
    """A breathy flute with delayed vibrato."""
    vib = 1 + 0.004 * np.sin(2 * np.pi * 5.2 * t) * np.clip((t - 0.25) * 3, 0, 1)
    phase = 2 * np.pi * freq * np.cumsum(vib) / RATE
    out = np.sin(phase) + 0.22 * np.sin(2 * phase) + 0.06 * np.sin(3 * phase)
    return out * envelope(len(t), 0.09, 0.25)


def pad(freq, dur, t):
    """Three detuned voices with a slow swell: the bed of chords."""
    out = np.zeros_like(t)
    for detune in (-0.0035, 0.0, 0.0041):
        f = freq * (1 + detune)
        for k in range(1, 5):
            out += np.sin(2 * np.pi * f * k * t + detune * 900) / k ** 2.2
    tremolo = 1 + 0.08 * np.sin(2 * np.pi * 0.23 * t)
    return out * tremolo * envelope(len(t), min(1.4, dur / 3), min(1.8, dur / 2)) / 3


def bass(freq, dur, t):
    out = np.sin(2 * np.pi * freq * t) + 0.25 * np.sin(4 * np.pi * freq * t)
    return out * np.exp(-t * 0.6) * envelope(len(t), 0.02, min(0.6, dur / 2))


class Track:
    def __init__(self, seconds):
        self.buffer = np.zeros((int(seconds * RATE), 2))

    def note(self, instrument, midi, start, dur, gain, pan=0.0, tail=1.5):
        """Adds one note; pan from -1 (left) to 1 (right) at constant power."""
        i0 = int(start * RATE)
        n = min(int((dur + tail) * RATE), len(self.buffer) - i0)
        if n <= 0:
            return
        t = np.arange(n) / RATE
        sound = instrument(midi_hz(midi), dur + tail, t) * gain
        angle = (pan + 1) * np.pi / 4
        self.buffer[i0:i0 + n, 0] += sound * np.cos(angle)
        self.buffer[i0:i0 + n, 1] += sound * np.sin(angle)


# Chords as (root, intervals) in MIDI numbers.
MAJ7, MIN7, ADD9, SUS4, MAJ, MIN9 = (0, 4, 7, 11), (0, 3, 7, 10), (0, 4, 7, 14), (0, 5, 7, 12), \
    (0, 4, 7, 12), (0, 3, 7, 14)


def chord_tones(root, shape, low, high):
    tones = [root + i + 12 * o for o in range(-3, 4) for i in shape]
    return sorted(t for t in set(tones) if low <= t <= high)


def step_weight(distance):
    """Melodies move mostly by steps; repeated notes and leaps are rarer."""
    return {0: 0.35, 1: 1.0, 2: 1.0, 3: 0.7, 4: 0.7, 5: 0.4}.get(distance, 0.25)


def melody(rng, progression, scale, beats, centre, rhythms):
    """One phrase: per bar a rhythm; notes on strong beats are chord tones, the others
    scale tones, all near the previous note and within a sixth of the centre."""
    bars, pitch = [], centre
    for root, shape in progression:
        rhythm = rhythms[rng.integers(len(rhythms))]
        position, bar = 0.0, []
        chord = {(root + i) % 12 for i in shape}
        for length in rhythm:
            if length < 0:
                position -= length
                continue
            candidates = [p for p in range(max(pitch - 5, centre - 8), min(pitch + 6, centre + 9))
                          if p % 12 in scale]
            strong = position == 0 or length >= 2
            pool = [p for p in candidates if p % 12 in chord] if strong else []
            pool = pool or candidates
            weights = np.array([step_weight(abs(p - pitch)) for p in pool])
            pitch = int(rng.choice(pool, p=weights / weights.sum()))
            bar.append((pitch, position, length))
            position += length
        bars.append(bar)
    return bars


def compose(seed, bpm, beats, progression, scale, key, centre, lead, arp, pattern):
    """Intro, theme twice, answer twice, theme once more and an outro: seven times the
    progression, with pad chords, bass, arpeggios and a lead melody."""
    rng = np.random.default_rng(seed)
    beat = 60.0 / bpm
    bar_len = beats * beat
    size = len(progression)
    form = ["intro"] * size + ["a"] * 2 * size + ["b"] * 2 * size + ["a"] * size + ["outro"] * size
    bars = len(form)
    track = Track(bars * bar_len + 4)
    rhythms = [[2, 1, 1], [1, 1, 2], [3, 1], [1.5, 0.5, 2], [4], [2, 2], [-1, 1, 1, 1], [1, 1, 1, 1]]
    rhythms = [r for r in rhythms if sum(abs(x) for x in r) == beats] or [[beats]]
    phrase = melody(rng, progression * 2, scale, beats, centre, rhythms)
    answer = melody(rng, progression * 2, scale, beats, centre + 2, rhythms)
    for b in range(bars):
        root, shape = progression[b % len(progression)]
        start = b * bar_len
        section = form[b]
        for tone in chord_tones(key + root, shape, key - 5, key + 12):
            track.note(pad, tone, start, bar_len, 0.05, pan=((tone % 5) - 2) * 0.2, tail=1.8)
        if section != "intro" or b >= size // 2:
            low = 36 + (key + root - 36) % 12
            track.note(bass, low, start, bar_len * 0.9, 0.3, tail=0.8)
            if section in ("a", "b"):
                track.note(bass, low + 7, start + beat * (beats - 1), beat, 0.15)
        tones = chord_tones(key + root, shape, key + 7, key + 26)
        steps = beats * 2
        for s in range(steps):
            index = pattern[s % len(pattern)] % len(tones)
            gain = 0.11 if s % 2 == 0 else 0.08
            if section == "outro":
                gain *= max(0.25, 1 - (b - bars + size) / size)
            track.note(arp, tones[index], start + s * beat / 2, beat, gain,
                       pan=-0.45 + 0.9 * index / max(1, len(tones) - 1), tail=1.2)
        if section in ("a", "b"):
            bar_notes = (phrase if section == "a" else answer)[b % len(phrase)]
            for pitch, position, length in bar_notes:
                track.note(lead, pitch, start + position * beat, length * beat * 0.95, 0.16,
                           pan=0.1, tail=0.8)
    out = track.buffer
    fade = int(3 * RATE)
    out[-fade:] *= np.linspace(1, 0, fade)[:, None]
    return out


def write_wav(path, stereo, rate=RATE, peak_level=0.89):
    peak = np.max(np.abs(stereo))
    pcm = (stereo / peak * peak_level * 32767).astype("<i2")
    with wave.open(path, "wb") as f:
        f.setnchannels(2)
        f.setsampwidth(2)
        f.setframerate(rate)
        f.writeframes(pcm.tobytes())


D, F, A = 62, 65, 57


def major_scale(key):
    """Pitch classes of the major scale on key (its relative minor shares them)."""
    return {(key + i) % 12 for i in (0, 2, 4, 5, 7, 9, 11)}


TRACKS = {
    "harbour-dawn": dict(seed=11, bpm=72, beats=4, key=D, centre=74, scale=major_scale(D),
                         progression=[(0, MAJ7), (9, MIN7), (7, MAJ7), (9, SUS4)],
                         lead=epiano, arp=harp, pattern=[0, 2, 4, 5, 3, 4, 2, 1]),
    "open-water": dict(seed=23, bpm=80, beats=4, key=F, centre=72, scale=major_scale(F),
                       progression=[(0, ADD9), (9, MIN7), (5, MAJ7), (7, MAJ)],
                       lead=flute, arp=epiano, pattern=[0, 3, 2, 4, 1, 3, 2, 5]),
    "evening-swell": dict(seed=37, bpm=66, beats=4, key=A, centre=76, scale=major_scale(A + 3),
                          progression=[(0, MIN9), (8, MAJ7), (3, ADD9), (10, MAJ)],
                          lead=bell, arp=harp, pattern=[0, 1, 2, 3, 4, 3, 2, 1]),
}


def music(name, path):
    write_wav(path, compose(**TRACKS[name]))


def periodic_noise(rng, n, low, high, tilt):
    """Noise of exactly n samples whose spectrum lies between low and high Hz, falling
    by tilt per octave. Shaped in the frequency domain, so it repeats seamlessly."""
    spectrum = np.fft.rfft(rng.standard_normal(n))
    freqs = np.fft.rfftfreq(n, 1.0 / WAVES_RATE)
    shape = np.exp(-((np.log2(np.maximum(freqs, 1) / np.sqrt(low * high))) /
                     np.log2(high / low)) ** 2 * 2.5)
    shape *= np.maximum(freqs, 1) ** (-tilt / 6.0)
    noise = np.fft.irfft(spectrum * shape, n)
    return noise / np.std(noise)


WAVES_RATE = 22050
WAVES_SECONDS = 24


def waves(path):
    """Sea waves: a rumble that swells and a foamy wash after each crest, in a loop
    whose end joins its start (noise and swells are all periodic in the loop)."""
    rng = np.random.default_rng(4242)
    n = WAVES_RATE * WAVES_SECONDS
    t = np.arange(n) / WAVES_SECONDS / WAVES_RATE  # 0..1 over the loop
    out = np.zeros((n, 2))
    for channel, shift in ((0, 0.0), (1, 0.04)):
        rumble = periodic_noise(rng, n, 60, 700, 3)
        wash = periodic_noise(rng, n, 700, 6000, 2)
        swell = 0.55 + 0.3 * np.sin(2 * np.pi * (3 * t + shift)) + \
            0.15 * np.sin(2 * np.pi * (4 * t + 0.3 + shift))
        crest = np.maximum(0, np.sin(2 * np.pi * (3 * t - 0.08 + shift))) ** 4 + \
            0.6 * np.maximum(0, np.sin(2 * np.pi * (4 * t + 0.15 + shift))) ** 6
        out[:, channel] = rumble * swell * 0.8 + wash * (0.12 + 0.55 * crest)
    write_wav(path, out, WAVES_RATE, peak_level=0.7)
