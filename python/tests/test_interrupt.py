"""Ctrl-C stops a long sharp() call: the computation asks for pending
signals while it runs, so KeyboardInterrupt arrives within moments instead
of after the minutes the call would take."""

import os
import signal
import threading
import time

import pytest

import unionbound

needs_sharp = pytest.mark.skipif(
    not unionbound.HAS_SHARP, reason="built without unionbound-sharp")


def _interrupt_after(seconds):
    timer = threading.Timer(seconds, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    return timer


@needs_sharp
def test_sigint_during_a_long_call_raises_keyboard_interrupt():
    if signal.getsignal(signal.SIGINT) is not signal.default_int_handler:
        pytest.skip("SIGINT is not turned into KeyboardInterrupt here")
    # Thousands of bivariate programs: minutes of work without the signal.
    n = 4000
    values = [0.0002] * n
    timer = _interrupt_after(0.3)
    start = time.monotonic()
    try:
        with pytest.raises(KeyboardInterrupt):
            unionbound.sharp(values, n, 1, kind="bivariate")
    finally:
        timer.cancel()
    # Far below the minutes the whole call takes; generous for a busy
    # machine.
    assert time.monotonic() - start < 30


@needs_sharp
def test_a_call_after_an_interrupted_one_still_gives_bounds():
    if signal.getsignal(signal.SIGINT) is not signal.default_int_handler:
        pytest.skip("SIGINT is not turned into KeyboardInterrupt here")
    timer = _interrupt_after(0.2)
    try:
        with pytest.raises(KeyboardInterrupt):
            unionbound.sharp([0.0002] * 3000, 3000, 1, kind="bivariate")
    finally:
        timer.cancel()
    result = unionbound.sharp([0.5, 0.25], 2, 1, kind="bivariate")
    assert result.lower <= result.upper
