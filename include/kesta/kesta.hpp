#pragma once
// KESTA as a library: read a deck, check it, derive its dimensionless
// parameters and simulate it. Every function is reentrant: simulations of
// different decks may run at once on different threads, and give the same bits
// as one by one, whatever the number of threads each uses.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "kesta/accuracy.hpp"
#include "kesta/deck.hpp"
#include "kesta/derived.hpp"
#include "kesta/errors.hpp"
#include "kesta/results.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

// Reads a deck file, or deck text, as the program reads it. Throws DeckError
// where the program writes the line error report or ends with an end-of-file or
// read diagnostic; what() names the line, the values being read and the reason.
// NT may reach NTLIMIT_CONTOUR, the most either inversion runs: simulate with
// the Stehfest inversion refuses a deck of more than NTLIMIT steps.
Deck read_deck(const std::filesystem::path& path);
Deck parse_deck(std::string_view text);

// Deck text that read_deck and parse_deck read back to the same values. Throws
// std::invalid_argument, naming the field, for a series whose length is not NT
// or a value that is not a finite number: no deck file holds either.
std::string write_deck(const Deck& deck);

// The message simulate throws before it computes, or nothing: the first check
// the deck fails, in the report's order and words; a value the model uses that
// is not a finite number; a derived parameter or time step that overflows.
// NT may reach NTLIMIT under the Stehfest inversion (the default), and
// NTLIMIT_CONTOUR under the contour inversion; a deck refused by the first
// alone has " The contour inversion accepts up to 10000000 time steps." added.
std::optional<std::string> first_problem(const Deck& deck);
std::optional<std::string> first_problem(const Deck& deck, const SimulateOptions& options);

// The dimensionless parameters of a deck, as the report prints them.
Derived derived(const Deck& deck);

// Head, seepage and bank storage at every time step, bit for bit the numbers
// the program prints. Throws std::invalid_argument with first_problem's text,
// or with the report's message when a result is not a finite number.
Results simulate(const Deck& deck);

// The same by the inversion the options choose: with InversionMethod::Contour
// every step response is inverted along a contour to about 1e-13 and the
// deck's NS is only checked; with Stehfest, bit for bit simulate(deck).
Results simulate(const Deck& deck, const SimulateOptions& options);

// The Stehfest inversion's own error in the head and seepage of every step at
// the deck's NS (printed value minus exactly inverted value), estimated against
// an independent contour inversion of the same Laplace-domain functions. Costs
// about as much as simulate; throws as simulate does.
InversionError inversion_error(const Deck& deck);

// The NS from 6 to 18 whose printed head and seepage are off least (by half a
// unit of the last printed digit, as the results table prints them); ties go to
// the order with the most margin. Costs a few simulations; throws as simulate does.
NsAdvice recommend_ns(const Deck& deck);

}  // namespace kesta
