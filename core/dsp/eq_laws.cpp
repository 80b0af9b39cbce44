#include "dsp/eq_laws.h"

#include "params/band_type_law.h"
#include "params/eq_gain_law.h"
#include "params/frequency_law.h"
#include "params/q_law.h"

namespace kestra {

// The arithmetic lives in the value laws; these names stay for the graphs and the editors.

double gain_db_of_code(int code) {
    return EqGainLaw::db(code);
}

int gain_code_of_db(double db) {
    return EqGainLaw::stored_of_db(db);
}

double q_of_code(int code) {
    return QLaw::value(code);
}

int q_code_of_value(double q) {
    return QLaw::stored_of_value(q);
}

int freq_code_of_hz(double hz) {
    return FrequencyLaw::stored_of_hz(hz);
}

int freq_slider_position(int freq_hz) {
    return FrequencyLaw::slider_position(freq_hz);
}

int freq_of_slider(int position) {
    return FrequencyLaw::stored_of_slider(position);
}

int gain_slider_position(int gain_code) {
    return EqGainLaw::slider_position(gain_code);
}
int gain_of_slider(int position) {
    return EqGainLaw::stored_of_slider(position);
}

int q_slider_position(int q_code) {
    return QLaw::slider_position(q_code);
}
int q_of_slider(int position) {
    return QLaw::stored_of_slider(position);
}

int slope_item(int slope) {
    return BandTypeLaw::slope_item(slope);
}
int slope_of_item(int item) {
    return BandTypeLaw::slope_of_item(item);
}

}  // namespace kestra
